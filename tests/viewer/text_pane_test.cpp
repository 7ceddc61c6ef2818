// The viewer's text pane: looks, answers and edits in place as a plain-text pane does, with undo and
// the modified flag.
#include "common/test_data.h"
#include "logger/program_state.h"
#include "records/record_text.h"
#include "viewer/record_text_edit.h"
#include "viewer/record_viewer.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <memory>

using namespace vx;

namespace
{

// A name line, a line with code page 1250 letters, 60 record lines and a
// line wider than the pane.
QString sample_text()
{
    QString text = QString::fromUtf8("TEXT FILE:/tmp/Log/SKLAD č.1.txt\nVlhkosť\n");
    for (int i = 0; i < 60; ++i)
        text += QString("6.12.2026 10:%1\t 21,%2\t 55,0\n").arg(i, 2, 10, QChar('0')).arg(i % 10);
    return text + "a line that is much wider than the narrow pane of the viewer, far to the right";
}

// The pane and a plain-text pane side by side over the same text, set up
// alike (tab stops, scroll bars, size).
struct Twins {
    RecordText text{sample_text()};
    RecordTextEdit view{text};
    QPlainTextEdit edit;
    Twins()
    {
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.setPlainText(sample_text());
        const qreal tab = QFontMetricsF(edit.font()).horizontalAdvance("00");
        edit.setTabStopDistance(tab);
        view.set_tab_stop_distance(tab);
        for (QAbstractScrollArea* pane : panes()) {
            pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            pane->resize(260, 300);
            pane->show();
        }
    }
    std::array<QAbstractScrollArea*, 2> panes() { return {&view, &edit}; }
};

class TextPane : public ::testing::Test
{
public:
    void SetUp() override
    {
        form = std::make_unique<TEditForm>(g);
        form->resize(900, 400);
        form->show();
        form->set_text(sample_text());
        QApplication::processEvents();
    }
    RecordTextView* view() const { return form->findChild<RecordTextView*>("Editor"); }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(form->text_pane(), Qt::Key(k), mods);
    }

    Global g;
    std::unique_ptr<TEditForm> form;
    QTemporaryDir tmp;
};

} // namespace

TEST(TextView, PaintsAndScrollsAsTheEditablePane)
{
    Twins t;
    auto& [text, view, edit] = t;
    struct Case {
        const char* name;
        int top, left;
        qsizetype anchor, position;
    };
    const Case cases[] = {
        {"top", 0, 0, 0, 0},
        {"scrolled", 20, 0, 0, 0},
        {"selection over line breaks", 0, 0, 40, 130},
        {"end, scrolled right", 1000, 50, 0, 0},
        {"selection at the end of the text", 1000, 0, text.size() - 20, text.size()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.set_selection(c.anchor, c.position);
        QTextCursor cursor(edit.document());
        cursor.setPosition(int(c.anchor));
        cursor.setPosition(int(c.position), QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
        for (QAbstractScrollArea* pane : t.panes()) {
            pane->verticalScrollBar()->setValue(c.top);
            pane->horizontalScrollBar()->setValue(c.left);
        }
        QApplication::processEvents();
        EXPECT_EQ(view.verticalScrollBar()->value(), edit.verticalScrollBar()->value());
        EXPECT_EQ(view.verticalScrollBar()->maximum(), edit.verticalScrollBar()->maximum());
        EXPECT_EQ(view.verticalScrollBar()->pageStep(), edit.verticalScrollBar()->pageStep());
        EXPECT_EQ(view.horizontalScrollBar()->maximum(), edit.horizontalScrollBar()->maximum());
        EXPECT_TRUE(view.grab().toImage() == edit.grab().toImage());
    }
}

TEST(TextEdit, KeysMoveAndEditAsInAPlainTextPane)
{
    Twins t;
    auto& [text, view, edit] = t;
    // Line 1 "Vlhkosť" runs from 33 to its break at 40; line 2 starts at 41;
    // line 3 is "6.12.2026 10:01\t 21,1\t 55,0", from position 69.
    struct Step {
        int key;
        Qt::KeyboardModifiers mods = Qt::NoModifier;
        qsizetype anchor = -1, position = -1; // afterwards, where written out
        qsizetype from = -1, to = -1;         // a selection made first
        const char* clipboard = nullptr;      // put on the clipboard first
        bool same_caret = true;               // undo may leave the caret elsewhere
    };
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    const Step steps[] = {
        {Qt::Key_Down, {}, 33, 33},
        {Qt::Key_End, {}, 40, 40},
        {Qt::Key_Right, {}, 41, 41},
        {Qt::Key_Right, shift, 41, 42},
        {Qt::Key_Right, ctrl | shift},
        {Qt::Key_Left},
        {Qt::Key_Right, ctrl},
        {Qt::Key_Right, ctrl},
        {Qt::Key_Left, ctrl},
        {Qt::Key_End, shift},
        {Qt::Key_Up, shift},
        {Qt::Key_Down},
        {Qt::Key_Down},
        {Qt::Key_PageDown},
        {Qt::Key_PageDown, shift},
        {Qt::Key_PageUp},
        {Qt::Key_Home, shift},
        {Qt::Key_End, ctrl | shift},
        {Qt::Key_Down, shift},
        {Qt::Key_Left},
        {Qt::Key_Home, ctrl, 0, 0},
        {Qt::Key_Up},
        {Qt::Key_A, ctrl, 0, text.size()},
        // Keys that change nothing: no text before or after the caret, none to cut or paste.
        {Qt::Key_Backspace, {}, 0, 0, 0, 0, ""},
        {Qt::Key_X, ctrl},
        {Qt::Key_V, ctrl},
        {Qt::Key_F, ctrl},
        {Qt::Key_End, ctrl, text.size(), text.size()},
        {Qt::Key_Delete},
        // Keys that do: a key replaces the selection, typing on, ...
        {Qt::Key_X, {}, -1, -1, 69 + 16, 69 + 17},
        {Qt::Key_Y},
        {Qt::Key_Backspace},
        {Qt::Key_Return},
        {Qt::Key_Delete},
        {Qt::Key_Delete, ctrl},
        {Qt::Key_Backspace, ctrl},
        {Qt::Key_Backspace, {}, 40, 40, 41, 41}, // joins a line to the one above
        {Qt::Key_Tab},
        {Qt::Key_X, ctrl, -1, -1, 10, 120},
        {Qt::Key_V, ctrl, -1, -1, -1, -1, "<>\r\nab"},
        {Qt::Key_Z, {}, -1, -1, 2000, 2000},
        {Qt::Key_Q},
        {Qt::Key_Z, ctrl, -1, -1, -1, -1, nullptr, false}, // undo takes both keys back
        {Qt::Key_Z, ctrl, -1, -1, -1, -1, nullptr, false},
        {Qt::Key_Z, ctrl | shift, -1, -1, -1, -1, nullptr, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(QKeySequence(s.key | s.mods).toString().toStdString() + " at " +
                     std::to_string(&s - steps));
        if (s.clipboard) QApplication::clipboard()->setText(s.clipboard);
        if (s.from >= 0) {
            view.set_selection(s.from, s.to);
            QTextCursor cursor(edit.document());
            cursor.setPosition(int(std::min<qsizetype>(s.from, edit.document()->characterCount() - 1)));
            cursor.setPosition(int(std::min<qsizetype>(s.to, edit.document()->characterCount() - 1)),
                               QTextCursor::KeepAnchor);
            edit.setTextCursor(cursor);
        }
        QTest::keyClick(&view, Qt::Key(s.key), s.mods);
        QTest::keyClick(&edit, Qt::Key(s.key), s.mods);
        EXPECT_EQ(text.text(), edit.toPlainText());
        EXPECT_EQ(text.line_count(), edit.document()->blockCount());
        EXPECT_EQ(view.is_modified(), edit.document()->isModified());
        if (!s.same_caret) continue;
        EXPECT_EQ(view.anchor(), edit.textCursor().anchor());
        EXPECT_EQ(view.position(), edit.textCursor().position());
        EXPECT_EQ(view.verticalScrollBar()->value(), edit.verticalScrollBar()->value());
        EXPECT_EQ(view.horizontalScrollBar()->value(), edit.horizontalScrollBar()->value());
        if (s.anchor >= 0) {
            EXPECT_EQ(view.anchor(), s.anchor);
            EXPECT_EQ(view.position(), s.position);
        }
    }
}

TEST_F(TextPane, FindCopyAndClicksKeepTheText)
{
    view()->set_selection(0, 0);
    EXPECT_TRUE(form->find_next("10:59\t 21,9"));
    EXPECT_EQ(view()->selected_text(), "10:59\t 21,9");
    const int top = view()->verticalScrollBar()->value(); // the hit on line 61 is in view
    EXPECT_LE(top, 61);
    EXPECT_GE(top + view()->verticalScrollBar()->pageStep(), 61);
    EXPECT_FALSE(form->find_next("10:59"));
    view()->set_selection(39, 49);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("ť\n6.12.202"));

    // A click at the left of line 2 puts the caret at its start, a click
    // right of line 1 at its end; a double click selects a word.
    view()->verticalScrollBar()->setValue(0);
    const qreal line = view()->line_height();
    auto at = [&](qreal x, int row) { return QPoint(int(x), int(4 + line * row + line / 2)); };
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at(1, 2));
    EXPECT_EQ(view()->position(), 41);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(500, 1));
    EXPECT_EQ(view()->selected_text(), "\n");
    const qreal word = 4 + QFontMetricsF(view()->font()).horizontalAdvance("TEXT FILE:/tmp/Log/SK");
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, at(word, 0));
    EXPECT_EQ(view()->selected_text(), "SKLAD");
    EXPECT_EQ(form->text(), sample_text());
}

TEST_F(TextPane, EditsKeepTheModifiedFlagLineCountChartSaveAndAddedLines)
{
    // Line 3 is "6.12.2026 10:01\t 21,1\t 55,0", from position 69.
    view()->set_selection(69, 69 + 28); // the record and its line break
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(form->is_modified());
    EXPECT_EQ(form->line_count(), 62);
    EXPECT_EQ(form->status_text(0), "62");
    form->RedrawGraph();
    EXPECT_EQ(form->graph_points(), 59);

    key(Qt::Key_Z, Qt::ControlModifier); // back to the text as opened
    EXPECT_FALSE(form->is_modified());
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    const QString saved = tmp.filePath("saved.txt");
    ASSERT_TRUE(form->save_to(saved));
    EXPECT_FALSE(form->is_modified());
    key(Qt::Key_Z, Qt::ControlModifier); // the saved text is changed back
    EXPECT_TRUE(form->is_modified());
    EXPECT_EQ(vxtest::file_lines(saved).size(), 62);

    // Lines a download adds keep the history working, and follow the end only when it was in view.
    QScrollBar* bar = view()->verticalScrollBar();
    bar->setValue(bar->maximum());
    for (int i = 0; i < 20; ++i)
        form->add_line("7.12.2026 10:00\t 22,0\t 56,0");
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(5);
    form->add_line("7.12.2026 10:01\t 22,0\t 56,0");
    EXPECT_EQ(bar->value(), 5);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->line_count(), 83);
    EXPECT_TRUE(form->text().endsWith("\n7.12.2026 10:01\t 22,0\t 56,0"));
}

// The viewer's text pane: a view over the text that looks and answers like
// a plain-text pane, and changes the text in place as a plain-text pane
// would, with undo and the modified flag.
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

#include <unistd.h>

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
    RecordTextEdit& view = t.view;
    QPlainTextEdit& edit = t.edit;
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
        {"selection at the end of the text", 1000, 0, t.text.size() - 20, t.text.size()},
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

TEST(TextView, MovementKeysMoveTheCaretAsInTheEditablePane)
{
    Twins t;
    RecordTextEdit& view = t.view;
    QPlainTextEdit& edit = t.edit;
    // Line 1 "Vlhkosť" runs from 33 to its break at 40; line 2 starts at 41.
    struct Step {
        int key;
        Qt::KeyboardModifiers mods;
        qsizetype anchor = -1, position = -1; // written out where known
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    const Step steps[] = {
        {Qt::Key_Down, none, 33, 33},
        {Qt::Key_End, none, 40, 40},
        {Qt::Key_Right, none, 41, 41},
        {Qt::Key_Right, shift, 41, 42},
        {Qt::Key_Right, ctrl | shift},
        {Qt::Key_Left, none},
        {Qt::Key_Right, ctrl},
        {Qt::Key_Right, ctrl},
        {Qt::Key_Left, ctrl},
        {Qt::Key_End, shift},
        {Qt::Key_Up, shift},
        {Qt::Key_Down, none},
        {Qt::Key_Down, none},
        {Qt::Key_PageDown, none},
        {Qt::Key_PageDown, shift},
        {Qt::Key_PageUp, none},
        {Qt::Key_Home, shift},
        {Qt::Key_End, ctrl | shift},
        {Qt::Key_Down, shift},
        {Qt::Key_Left, none},
        {Qt::Key_Home, ctrl, 0, 0},
        {Qt::Key_Up, none},
        {Qt::Key_A, ctrl, 0, t.text.size()},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(QKeySequence(s.key | s.mods).toString().toStdString());
        QTest::keyClick(&view, Qt::Key(s.key), s.mods);
        QTest::keyClick(&edit, Qt::Key(s.key), s.mods);
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

TEST_F(TextPane, KeysThatChangeNothingFindCopyAndClicksKeepTheView)
{
    QApplication::clipboard()->clear();
    view()->set_selection(0, 0);
    key(Qt::Key_Backspace);              // nothing before the caret
    key(Qt::Key_X, Qt::ControlModifier); // nothing selected to cut
    key(Qt::Key_V, Qt::ControlModifier); // nothing to paste
    key(Qt::Key_F, Qt::ControlModifier); // the main window's find
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Delete); // nothing after the caret
    EXPECT_EQ(view()->position(), sample_text().size());
    EXPECT_FALSE(form->is_modified());

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

TEST(TextEdit, EditingKeysChangeTheTextAsInAPlainTextPane)
{
    Twins t;
    RecordTextEdit& view = t.view;
    QPlainTextEdit& edit = t.edit;
    // Line 3 is "6.12.2026 10:01\t 21,1\t 55,0", from position 69.
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    struct Step {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        qsizetype anchor = -1, position = -1; // a selection made first
        bool same_caret = true;               // undo may leave the caret elsewhere
    };
    const Step steps[] = {
        {"a key replaces the selection", Qt::Key_X, none, 69 + 16, 69 + 17},
        {"typing on", Qt::Key_Y, none},
        {"backspace", Qt::Key_Backspace, none},
        {"enter", Qt::Key_Return, none},
        {"delete", Qt::Key_Delete, none},
        {"delete to the end of the word", Qt::Key_Delete, ctrl},
        {"delete to the start of the word", Qt::Key_Backspace, ctrl},
        {"backspace at the start of a line joins it", Qt::Key_Backspace, none, 41, 41},
        {"tab", Qt::Key_Tab, none},
        {"cut", Qt::Key_X, ctrl, 10, 120},
        {"paste lines", Qt::Key_V, ctrl},
        {"a key in the last line", Qt::Key_Z, none, 2000, 2000},
        {"typing on", Qt::Key_Q, none},
        {"undo takes both keys back", Qt::Key_Z, ctrl, -1, -1, false},
        {"undo again", Qt::Key_Z, ctrl, -1, -1, false},
        {"redo", Qt::Key_Z, ctrl | Qt::ShiftModifier, -1, -1, false},
    };
    QApplication::clipboard()->setText("<>\r\nab");
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.anchor >= 0) {
            view.set_selection(s.anchor, s.position);
            QTextCursor cursor(edit.document());
            cursor.setPosition(int(std::min<qsizetype>(s.anchor, edit.document()->characterCount() - 1)));
            cursor.setPosition(int(std::min<qsizetype>(s.position, edit.document()->characterCount() - 1)),
                               QTextCursor::KeepAnchor);
            edit.setTextCursor(cursor);
        }
        QTest::keyClick(&view, Qt::Key(s.key), s.mods);
        QTest::keyClick(&edit, Qt::Key(s.key), s.mods);
        EXPECT_EQ(t.text.text(), edit.toPlainText());
        EXPECT_EQ(t.text.line_count(), edit.document()->blockCount());
        if (s.same_caret) {
            EXPECT_EQ(view.anchor(), edit.textCursor().anchor());
            EXPECT_EQ(view.position(), edit.textCursor().position());
        }
    }
}

TEST_F(TextPane, EditsKeepTheModifiedFlagLineCountChartAndSave)
{
    // Line 3 is "6.12.2026 10:01\t 21,1\t 55,0", from position 69.
    EXPECT_FALSE(form->is_modified());
    view()->set_selection(69, 69 + 28); // the record and its line break
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(form->is_modified());
    EXPECT_EQ(form->line_count(), 62);
    EXPECT_EQ(form->status_text(0), "62");
    form->RedrawGraph();
    EXPECT_EQ(form->graph_points(), 59);

    key(Qt::Key_Z, Qt::ControlModifier); // back to the text as opened
    EXPECT_FALSE(form->is_modified());
    EXPECT_EQ(form->text(), sample_text());
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    const QString saved = tmp.filePath("saved.txt");
    ASSERT_TRUE(form->save_to(saved));
    EXPECT_FALSE(form->is_modified());
    key(Qt::Key_Z, Qt::ControlModifier); // the saved text is changed back
    EXPECT_TRUE(form->is_modified());
    auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray written = read(saved);
    EXPECT_EQ(written.count("\r\n"), 62);
    // A file with a second name is not written through, as a download would not.
    ASSERT_TRUE(QFile::link(saved, tmp.filePath("link.txt")));
    ASSERT_EQ(::link(QFile::encodeName(saved), QFile::encodeName(tmp.filePath("second name.txt"))), 0);
    for (const auto& [name, why] : {std::pair{"link.txt", "it is a symbolic link"},
                                    {"second name.txt", "it has more than one hard link"}}) {
        QString error;
        EXPECT_FALSE(form->save_to(tmp.filePath(name), &error));
        EXPECT_EQ(error, "Unable to write to " + tmp.filePath(name) + ": " + why);
    }
    EXPECT_EQ(read(saved), written); // the text changed since, but not the file

    // Lines a download adds keep the history working.
    form->add_line("7.12.2026 10:00\t 22,0\t 56,0");
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->line_count(), 63);
    EXPECT_TRUE(form->text().endsWith("\n7.12.2026 10:00\t 22,0\t 56,0"));
}

TEST_F(TextPane, AddedLinesFollowTheEndOnlyWhenItWasInView)
{
    QScrollBar* bar = view()->verticalScrollBar();
    bar->setValue(bar->maximum());
    for (int i = 0; i < 20; ++i)
        form->add_line("7.12.2026 10:00\t 22,0\t 56,0");
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(5);
    form->add_line("7.12.2026 10:01\t 22,0\t 56,0");
    EXPECT_EQ(bar->value(), 5);
    EXPECT_EQ(form->line_count(), 84);
    EXPECT_TRUE(form->is_modified());
}

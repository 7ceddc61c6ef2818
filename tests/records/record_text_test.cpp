// The viewer's text held in one piece: its lines, their positions and the
// search, read as a plain-text pane reads a text.
#include "records/record_text.h"

#include <QStringList>
#include <gtest/gtest.h>

using vx::RecordText;

namespace
{

QStringList lines_of(const RecordText& t)
{
    QStringList out;
    for (qsizetype i = 0; i < t.line_count(); ++i)
        out << t.line(i).toString();
    return out;
}

} // namespace

TEST(RecordText, LineBreaksAsThePaneReadsThem)
{
    struct Case {
        const char* name;
        QString input;
        QStringList lines;
    };
    const Case cases[] = {
        {"CR LF",
         "1.1.2024 00:01\t 20,0\r\n1.1.2024 00:02\t 20,1\r\n",
         {"1.1.2024 00:01\t 20,0", "1.1.2024 00:02\t 20,1", ""}},
        {"LF", "a\nb\n", {"a", "b", ""}},
        {"last line without a break", "a\r\nb", {"a", "b"}},
        {"empty", "", {""}},
        {"only a break", "\r\n", {"", ""}},
        {"empty lines kept", "a\n\n\r\nb", {"a", "", "", "b"}},
        {"lone CR", "a\rb\r\rc", {"a", "b", "", "c"}},
        {"CR LF split only as a pair", "a\n\rb", {"a", "", "b"}},
        {"paragraph and line separators", QString::fromUtf16(u"a\u2029b\u2028c"), {"a", "b", "c"}},
        {"no-break space reads as a blank", QString::fromUtf16(u"1\u00A0000"), {"1 000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RecordText t(c.input);
        EXPECT_EQ(lines_of(t), c.lines);
        EXPECT_EQ(t.text(), c.lines.join('\n'));
        for (qsizetype i = 0; i < t.line_count(); ++i)
            EXPECT_EQ(t.text().mid(t.line_start(i), t.line_end(i) - t.line_start(i)), c.lines[i]);
    }
}

TEST(RecordText, ChangedAndAppendedTextIndexesAsAWholeTextWould)
{
    // pos -1: with is appended as a line (a pane's paragraph: an empty text takes it as it is).
    struct Case {
        const char* name;
        QString before;
        qsizetype pos, length;
        QString with, after;
    };
    const QString text = "name\nlongest line\nab\n";
    const Case cases[] = {
        {"a key in a line", text, 6, 0, "x", "name\nlxongest line\nab\n"},
        {"lines pasted with CR LF before the longest", text, 2, 0, "1\r\n22\r\n",
         "na1\n22\nme\nlongest line\nab\n"},
        {"breaks removed", text, 4, 14, "", "nameab\n"},
        {"the longest line shortened", text, 5, 8, "", "name\nline\nab\n"},
        {"a longer line after the longest", text, 18, 3, "much longer than all",
         "name\nlongest line\nmuch longer than all"},
        {"a line as long before the longest", text, 0, 4, "twelve chars", "twelve chars\nlongest line\nab\n"},
        {"past the end, clamped", text, 99, 5, "\u2029z", "name\nlongest line\nab\n\nz"},
        {"the whole text", text, 0, 99, "", ""},
        {"appended to an empty text", "", -1, 0, "x", "x"},
        {"an empty line appended to an empty text", "", -1, 0, "", ""},
        {"appended", "a", -1, 0, "x", "a\nx"},
        {"an empty line appended", "a", -1, 0, "", "a\n"},
        {"appended after a final empty line", "a\n", -1, 0, "x", "a\n\nx"},
        {"appended with breaks inside", "a", -1, 0, "x\r\ny", "a\nx\ny"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordText t(c.before);
        const RecordText whole(c.after);
        if (c.pos < 0)
            t.append_line(c.with);
        else
            EXPECT_EQ(t.replace(c.pos, c.length, c.with), RecordText(c.with).size());
        EXPECT_EQ(t.text(), c.after);
        EXPECT_EQ(lines_of(t), lines_of(whole));
        for (qsizetype i = 0; i < t.line_count(); ++i)
            EXPECT_EQ(t.line_start(i), whole.line_start(i));
        EXPECT_EQ(t.longest_line(), whole.longest_line());
    }
}

TEST(RecordText, PositionsLinesLongestAndSearch)
{
    RecordText t(QString("name\r\n6.12.2026 10:00\t 21,5\r\nabc Abc\r\n"));
    ASSERT_EQ(t.text(), "name\n6.12.2026 10:00\t 21,5\nabc Abc\n");
    // Positions count each line break as one character.
    const std::pair<qsizetype, qsizetype> at[] = {{0, 0},  {4, 0},  {5, 1},  {26, 1}, {27, 2},
                                                  {34, 2}, {35, 3}, {99, 3}, {-5, 0}};
    for (const auto& [pos, line] : at)
        EXPECT_EQ(t.line_at(pos), line) << pos;
    EXPECT_EQ(t.longest_line(), 1);

    struct Find {
        const char* what;
        qsizetype from, hit;
    };
    const Find finds[] = {{"abc", 0, 27},  {"Abc", 0, 31}, {"abc", 28, -1},   {"ABC", 0, -1},
                          {"21,5", 5, 22}, {"", 0, -1},    {"name\n6", 0, -1}}; // no hit across lines
    for (const Find& f : finds)
        EXPECT_EQ(t.find(QString::fromUtf8(f.what), f.from), f.hit) << f.what << " from " << f.from;

    t.clear();
    EXPECT_EQ(t.line_count(), 1);
    EXPECT_EQ(t.size(), 0);
}

// Download marks in the per-user store (redirected to a temporary folder by
// the test entry point).
#include "records/marks.h"

#include <QSettings>
#include <gtest/gtest.h>

using namespace vx;

TEST(MarkStore, MissingMarkIsMinusOneAndStoredMarksReadBack)
{
    MarkStore marks;
    marks.remove_mark("MISIA 1");
    EXPECT_EQ(marks.read_mark("MISIA 1"), -1);
    ASSERT_TRUE(marks.write_mark("MISIA 1", 130));
    EXPECT_EQ(marks.read_mark("MISIA 1"), 130);
    ASSERT_TRUE(marks.write_mark("MISIA 1", 0));
    EXPECT_EQ(marks.read_mark("MISIA 1"), 0);
    // Another store object (as after a restart) sees the same value.
    EXPECT_EQ(MarkStore{}.read_mark("MISIA 1"), 0);
    EXPECT_EQ(marks.read_mark("MISIA 2"), -1);
    marks.remove_mark("MISIA 1");
    EXPECT_EQ(marks.read_mark("MISIA 1"), -1);
}

TEST(MarkStore, KeptUnderTheProgramsOwnKeyOneValuePerName)
{
    MarkStore marks;
    ASSERT_TRUE(marks.write_mark(QString::fromUtf8("Pivnica č.2"), 10400));
    const QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("VORLANIX"));
    EXPECT_EQ(s.value(QString::fromUtf8("Pivnica č.2")).toInt(), 10400);
    marks.remove_mark(QString::fromUtf8("Pivnica č.2"));
}

TEST(MarkStore, NamesWithSeparatorsOrEmptyStayApart)
{
    MarkStore marks;
    const QStringList names = {"a/b", "a\\b", "a%2Fb", "a_b", "", " "};
    int value = 1;
    for (const QString& name : names)
        ASSERT_TRUE(marks.write_mark(name, value++));
    value = 1;
    for (const QString& name : names)
        EXPECT_EQ(marks.read_mark(name), value++) << name.toStdString();
    EXPECT_EQ(MarkStore::key_for("MISIA 1"), "MISIA 1");
    for (const QString& name : names)
        marks.remove_mark(name);
    for (const QString& name : names)
        EXPECT_EQ(marks.read_mark(name), -1);
}

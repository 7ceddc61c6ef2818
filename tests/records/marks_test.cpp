// Download marks in the per-user store (redirected to a temporary folder by
// the test entry point), under the program's own key, one value per name.
#include "records/marks.h"

#include <QSettings>
#include <gtest/gtest.h>

using namespace vx;

TEST(MarkStore, MarksReadBackPerNameUnderTheProgramsKey)
{
    MarkStore marks;
    const QStringList names = {"MISIA 1", QString::fromUtf8("Pivnica č.2"), "a/b", "a\\b", "a%2Fb", "a_b", "",
                               " "};
    for (const QString& name : names)
        EXPECT_EQ(marks.read_mark(name), -1) << name.toStdString();
    for (int i = 0; i < names.size(); ++i)
        ASSERT_TRUE(marks.write_mark(names[i], 10400 - i));
    for (int i = 0; i < names.size(); ++i) // also as read by another store, as after a restart
        EXPECT_EQ(MarkStore{}.read_mark(names[i]), 10400 - i) << names[i].toStdString();
    EXPECT_EQ(QSettings("VORLANIX", "VORLANIX").value(QString::fromUtf8("Pivnica č.2")).toInt(), 10399);
    ASSERT_TRUE(marks.write_mark("MISIA 1", 0));
    EXPECT_EQ(marks.read_mark("MISIA 1"), 0);
    for (const QString& name : names)
        marks.remove_mark(name);
    EXPECT_EQ(marks.read_mark("MISIA 1"), -1);
}

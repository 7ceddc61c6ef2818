// Download marks and record sources in the per-user store (redirected to a
// temporary folder by the test entry point): marks under the program's own
// key, one value per name; sources refused when the store cannot be read or
// notes no number.
#include "records/marks.h"
#include "records/record_source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

TEST(RecordSourceStore, WhatCannotBeReadOrIsNoNumberIsRefusedWithTheStoresPath)
{
    const QString store = RecordSourceStore::location();
    const QByteArray binary(300, '\xA7');
    const struct {
        const char* name;
        QByteArray contents; // "dir": a folder in the store's place
        QString error;       // empty: read as noted (serial 5, model 89)
    } cases[] = {
        {"noted", "[M.txt]\nserial=5\nmodel=89\n", {}},
        {"serial too large", "[M.txt]\nserial=99999999\nmodel=89\n",
         "the record source store " + store +
             " notes serial number 99999999 for M.txt, which is no serial number (0..65535)"},
        {"model too large", "[M.txt]\nserial=5\nmodel=65623\n",
         "the record source store " + store + " notes model 65623 for M.txt, which is no model (0..65535)"},
        {"a word for the serial number", "[M.txt]\nserial=fifty\nmodel=89\n",
         "the record source store " + store +
             " notes serial number fifty for M.txt, which is no serial number (0..65535)"},
        {"binary", binary, "cannot read the record source store " + store + ": it is not a settings file"},
        {"a folder", "dir", "cannot read the record source store " + store + ": it is not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(store);
        QDir(store).removeRecursively();
        QDir().mkpath(QFileInfo(store).path());
        if (c.contents == "dir") {
            QDir().mkpath(store);
        } else {
            QFile f(store);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.contents);
        }
        QString error = "stale";
        const auto source = RecordSourceStore().read("M.txt", &error);
        EXPECT_TRUE(error.startsWith(c.error)) << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.error.isEmpty());
        EXPECT_EQ(source.has_value(), c.error.isEmpty());
        if (source)
            EXPECT_EQ(std::pair(source->serial, source->type_code),
                      std::pair(std::uint16_t(5), std::uint16_t(89)));
        EXPECT_EQ(RecordSourceStore().read("N.txt").has_value(), false); // nothing noted
    }
    QDir(store).removeRecursively();
}

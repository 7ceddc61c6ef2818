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
        EXPECT_TRUE(marks.remove_mark(name));
    EXPECT_EQ(marks.read_mark("MISIA 1"), -1);
}

TEST(RecordSourceStore, WhatCannotBeReadOrIsNoNumberIsRefusedWithTheStoresPath)
{
    const QString store = RecordSourceStore::location();
    const QString no_number = "the record source store %1 notes %2 for M.txt, which is no %3 (0..65535)";
    const struct {
        QByteArray contents; // "dir": a folder in the store's place
        QString error;       // %1 the store; empty: read as noted (serial 5, model 89)
    } cases[] = {
        {"[M.txt]\nserial=5\nmodel=89\n", {}},
        {"[M.txt]\nserial=99999999\nmodel=89\n",
         no_number.arg("%1", "serial number 99999999", "serial number")},
        {"[M.txt]\nserial=5\nmodel=65623\n", no_number.arg("%1", "model 65623", "model")},
        {"[M.txt]\nserial=fifty\nmodel=89\n", no_number.arg("%1", "serial number fifty", "serial number")},
        {QByteArray(300, '\xA7'), "cannot read the record source store %1: it is not a settings file"},
        {"dir", "cannot read the record source store %1: it is not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents.left(30).toStdString());
        QFile::remove(store);
        QDir(store).removeRecursively();
        QDir().mkpath(QFileInfo(store).path());
        QFile f(store);
        ASSERT_TRUE(c.contents == "dir" ? QDir().mkpath(store)
                                        : f.open(QIODevice::WriteOnly) && f.write(c.contents) > 0);
        f.close();
        QString error = "stale";
        const auto source = RecordSourceStore().read("M.txt", &error);
        EXPECT_EQ(error, c.error.isEmpty() ? QString() : c.error.arg(store));
        using Pair = std::pair<quint16, quint16>;
        EXPECT_EQ(source ? Pair(source->serial, source->type_code) : Pair(),
                  c.error.isEmpty() ? Pair(5, 89) : Pair());
        EXPECT_FALSE(RecordSourceStore().read("N.txt").has_value()); // nothing noted
    }
    QDir(store).removeRecursively();
}

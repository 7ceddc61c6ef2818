// The audit trail as the program writes it: every action leaves its entry,
// ok or failed, against the simulated logger; the record files it writes
// have their digests noted; the trail window filters, prints and tells
// whether the chain holds.
#include "app/audit_window.h"
#include "common/qt_print.h"
#include "common/test_state.h"
#include "logger/audit_log.h"
#include "logger/clock.h"
#include "logger/download.h"
#include "logger/fake_host.h"
#include "logger/fakes.h"
#include "records/file_digest.h"
#include "records/marks.h"
#include "viewer/record_viewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace vx;

namespace
{

// A value inside an entry by its dotted path ("details.records").
QJsonValue at(const QJsonObject& entry, const QString& path)
{
    QJsonValue v = entry;
    for (const QString& key : path.split('.'))
        v = v.toObject().value(key);
    return v;
}

struct Audit : ::testing::Test, vxtest::TestState {
    // Logger 4321 of model 89, mission MISIA1, holding records 0..129.
    void logger(const QStringList& args)
    {
        ASSERT_TRUE(connect(args + QString("--type 89 --name MISIA1 --serial 4321 --fill 130").split(' ')))
            << sim.errors().toStdString();
        g.ident = {89, 6, 10401};
        g.link.record_length = 6;
        g.status.record_pointer = 130;
        g.status.mission_name = "MISIA1";
        g.status.serial = 4321;
        g.status.logger_time = QDateTime(QDate(2024, 6, 1), QTime(10, 30));
        g.now = [] { return QDateTime(QDate(2024, 6, 1), QTime(12, 0)); };
        host.pointer = "130";
        MarkStore().write_mark("MISIA1", 100);
    }
    QJsonObject entry(int i) const { return AuditTrail(home.dir()).read().entries.value(i).entry; }
    QString record_file() const { return home.path("Log/MISIA1.txt"); }

    vxtest::FakeHost host;
    vxtest::FakeDisplay display;
};

} // namespace

TEST_F(Audit, EveryActionLeavesItsEntryAndAFailedOneItsFailure)
{
    struct Case {
        const char* name;
        QStringList sim; // simulator options; none: no logger
        std::function<void(Audit&)> act;
        QStringList entries; // what it leaves; a reason may be given by its beginning
        std::function<void(Audit&)> check;
    };
    const auto set_clock = [](Audit& t) {
        t.ui.default_answer = mr::yes;
        SetClock(t.g, t.display).run();
    };
    const Case cases[] = {
        {"new records",
         {},
         [](Audit& t) { Download(t.g, t.host).new_records(); },
         {"download ok"},
         [](Audit& t) {
             const QJsonObject e = t.last_audit();
             EXPECT_EQ(std::tuple(at(e, "details.records").toInt(), at(e, "details.mark").toInt(),
                                  at(e, "details.kind").toString()),
                       std::tuple(30, 130, QString("new")));
             EXPECT_EQ(at(e, "details.digest").toString(), file_sha256(t.record_file()));
             EXPECT_EQ(digest_text(digest_status(t.record_file())),
                       "unchanged since download at 2024-06-01T12:00:00+02:00");
         }},
        {"a logger that stops answering",
         {"--corrupt-block", "2", "--corrupt-block-times", "50"},
         [](Audit& t) { Download(t.g, t.host).new_records(); },
         {"download failed: the logger stopped answering"},
         [](Audit& t) {
             const QJsonObject e = t.last_audit();
             EXPECT_EQ(std::pair(at(e, "details.records").toInt(), at(e, "details.mark").toInt()),
                       std::pair(10, 110));
             EXPECT_EQ(at(e, "details.digest").toString(), file_sha256(t.record_file()));
         }},
        {"records fetched again merge in the sort",
         {},
         [](Audit& t) {
             Download(t.g, t.host).new_records();
             t.ui.input_answers = {QString("10")};
             Download(t.g, t.host).newest_records();
         },
         {"download ok", "record-file-sort ok", "download ok"},
         [](Audit& t) {
             EXPECT_EQ(at(t.entry(1), "details.merged_repeats").toInt(), 10);
             EXPECT_EQ(at(t.entry(2), "details.kind").toString(), "newest");
         }},
        {"clock set",
         {},
         set_clock,
         {"clock-set ok"},
         [](Audit& t) {
             EXPECT_EQ(at(t.last_audit(), "details.changes.clock").toObject(),
                       (QJsonObject{{"before", "2024-06-01T10:30:00"}, {"after", "2024-06-01T12:00:00"}}));
         }},
        {"clock not acknowledged",
         {"--drop-acks", "100"},
         set_clock,
         {"clock-set failed: the logger did not acknowledge the clock"},
         nullptr},
        {"a viewer saves over the record file, then fails to",
         {},
         [](Audit& t) {
             t.home.write("Log/MISIA1.txt",
                          "MISIA1\r\nRemark: \r\nSTART: 1.6.2024\r\nPERIOD: 10\r\nGRADIENT: 0\r\n"
                          "1.6.2024 10:00\t21,5\r\n");
             RecordSourceStore().write("MISIA1.txt", {4321, 89, "MISIA1", {}});
             TEditForm viewer(t.g);
             ASSERT_TRUE(viewer.open_file(t.record_file()));
             EXPECT_TRUE(viewer.save_to(t.record_file()));
             QDir().mkpath(t.home.path("Log/MISIA2.txt"));
             EXPECT_FALSE(viewer.save_to(t.home.path("Log/MISIA2.txt")));
         },
         {"record-file-save ok", "record-file-save failed"},
         [](Audit& t) {
             EXPECT_EQ(
                 std::pair(at(t.entry(0), "serial").toInt(), at(t.entry(0), "details.digest").toString()),
                 std::pair(4321, file_sha256(t.record_file())));
             EXPECT_EQ(digest_text(digest_status(t.record_file())),
                       "unchanged since record-file-save at 2024-06-01T12:00:00+02:00");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(home.path("audit.jsonl"));
        QFile::remove(record_file());
        logger(c.sim);
        ui = vxtest::FakeUi{};
        c.act(*this);
        const QStringList got = audit_from(0);
        ASSERT_EQ(got.size(), c.entries.size()) << got.join(" | ").toStdString();
        for (int i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i].startsWith(c.entries[i])) << got[i].toStdString();
        if (c.check) c.check(*this);
        EXPECT_TRUE(AuditTrail(home.dir()).read().check.holds());
    }
}

TEST_F(Audit, WindowFiltersByLoggerAndTimeTellsTheChainAndPrints)
{
    g.now = [] { return QDateTime(QDate(2024, 6, 1), QTime(12, 0)); };
    for (const auto& [serial, hour] : {std::pair{4321, 9}, {555, 10}, {4321, 11}})
        AuditTrail(home.dir())
            .record(AuditEntry(audit_action::clock_set)
                        .logger(serial, 89, "M" + QString::number(serial))
                        .at(QDateTime(QDate(2024, 6, 1), QTime(hour, 0))));
    QPrinter printer;
    Tfrmaudit w(g, printer);
    w.show();
    EXPECT_EQ(w.CBlogger->count(), 3); // all, 555, 4321
    EXPECT_EQ(w.LVtrail->rowCount(), 3);
    EXPECT_EQ(w.LBLchain->text(), "Reťazec záznamu auditu je neporušený (záznamov: 3).");
    w.CBlogger->setCurrentIndex(w.CBlogger->findData(4321));
    EXPECT_EQ(w.LVtrail->rowCount(), 2);
    w.CHKfrom->setChecked(true);
    w.DTfrom->setDateTime(QDateTime(QDate(2024, 6, 1), QTime(10, 0)));
    ASSERT_EQ(w.LVtrail->rowCount(), 1);
    EXPECT_EQ(w.LVtrail->item(0, 0)->text(), "2024-06-01T11:00:00+02:00");

    // The printout holds what the table shows.
    w.choose_printer = pdf_printer("trail.pdf");
    EXPECT_TRUE(w.printout().contains("M4321") && !w.printout().contains("M555"));
    w.print();
    EXPECT_GT(QFileInfo(home.path("trail.pdf")).size(), 1000);

    // An entry changed in a text editor: the chain breaks at the one after it.
    home.write("audit.jsonl", home.read("audit.jsonl").replace("\"M555\"", "\"M556\""));
    w.BTrefresh->click();
    EXPECT_EQ(w.LBLchain->text(), "Reťazec je porušený pri zázname 3: nenadväzuje na záznam 2 (záznam bol "
                                  "zmenený, odstránený alebo presunutý).");
}

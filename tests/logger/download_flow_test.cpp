// The download flows against the simulated logger over the real driver and link. Expected lines are
// computed from the simulator's ring dump with each model's conversion written out here.
#include "common/qt_print.h"
#include "common/test_data.h"
#include "common/test_state.h"
#include "logger/download.h"
#include "logger/fake_host.h"
#include "logger/record_handoff.h"
#include "records/marks.h"
#include "records/record_csv.h"

#include <QDir>
#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <numeric>

using vxtest::comma_fixed;
using Positions = std::vector<int>;

namespace
{

struct Model {
    std::uint16_t type;
    int record_length;
    int ring_size;
};
constexpr Model model89{89, 6, 10401};  // digital temperature
constexpr Model model87{87, 8, 3901};   // temperature and humidity polynomial
constexpr Model model133{133, 9, 7000}; // temperature, capacitive humidity, air pressure
constexpr Model model55{55, 7, 5400};   // the old format: a stream of 7-byte records

// The values of one record as the record file holds them: temperature in
// 1/16 degree (2000 and above count down from 65535), humidity -5 + 0.25 b
// limited to 0..100 (87) or ((2600 - b) x 16 / 160 + 3) / 2 up to 99.9
// (133), air pressure c + 900.
QString values_of(std::uint16_t type, const vxtest::RingRecord& r)
{
    const long a = r.raw.at(0);
    const QString t = comma_fixed(a < 2000 ? a / 16.0 : -(65535 - a) / 16.0, 5, 1);
    if (type == 89) return t;
    const float b = float(r.raw.at(1));
    if (type == 87) return t + '\t' + comma_fixed(std::clamp(-5.0f + 0.25f * b, 0.0f, 100.0f), 5, 1);
    const float h = b > 2600 ? 0.0f : ((2600 - b) * 16.0f / 160 + 3) / 2.0f;
    return t + '\t' + comma_fixed(std::min(h, 99.9f), 5, 1) + '\t' + QString::number(r.raw.at(2) + 900);
}

Positions range(int from, int to) // from .. to - 1
{
    Positions v(to - from);
    std::iota(v.begin(), v.end(), from);
    return v;
}

class DownloadFlow : public ::testing::Test, protected vxtest::TestState
{
protected:
    // The simulator as a logger of model m at pointer, connected, with the mission's download mark
    // (none when negative); a fresh flow, user and window.
    void connect(const Model& m, int pointer, int mark = -1, QStringList sim_args = {})
    {
        model = m;
        sim_args += QString("--type %1 --name %2 --serial 4321 --pointer %3 --coef -40,0.05,0")
                        .arg(m.type)
                        .arg(mission)
                        .arg(pointer)
                        .split(' ');
        if (!sim_args.contains("--wrap")) sim_args << "--fill" << QString::number(pointer);
        ASSERT_TRUE(TestState::connect(sim_args)) << sim.errors().toStdString();
        ring = vxtest::parse_ring(sim.ring());
        frames_before = int(sim.frames().size());
        vx::MarkStore().remove_mark(mission);
        if (mark >= 0) vx::MarkStore().write_mark(mission, mark);
        ui = vxtest::FakeUi{};
        host = vxtest::FakeHost{};
        host.pointer = QString::number(pointer);
        g.ident = {m.type, m.record_length, m.ring_size};
        g.transfer = {}; // a new connection
        g.link.record_length = m.record_length;
        g.status.record_pointer = pointer;
        g.status.mission_name = mission;
        g.status.serial = 4321;
        g.coef.a0 = -5;
        g.coef.a1 = 0.25f;
        g.coef.F0 = 2600;
        g.coef.S = 160;
        g.coef.kept[0] = 3;
        g.now = [] { return QDateTime(QDate(2024, 6, 1), QTime(12, 0)); };
        download = std::make_unique<vx::Download>(g, host);
    }
    // The frames the simulator received since connect(), all or of one command.
    QVector<vxtest::SimFrame> frames(int cmd = -1) const
    {
        QVector<vxtest::SimFrame> out;
        for (const auto& f : sim.frames().mid(frames_before))
            if (cmd < 0 || f.cmd == cmd) out << f;
        return out;
    }
    // The start positions of the blocks the simulator was asked for, in order.
    Positions block_positions() const
    {
        Positions out;
        int lo = -1;
        for (const auto& f : frames()) {
            if (f.cmd == 11) lo = f.param;
            if (f.cmd == 12 && lo >= 0) out.push_back((f.param * 256 + lo - 1024) / model.record_length);
        }
        return out;
    }
    // The ring positions' lines as the record file holds them: in the order of their stamps, records
    // that share a stamp in the order they were recorded.
    QStringList file_lines(Positions positions) const
    {
        const auto stamp = [&](int p) { return std::pair(ring.at(p).time.date(), ring.at(p).time.time()); };
        std::stable_sort(positions.begin(), positions.end(),
                         [&](int a, int b) { return stamp(a) < stamp(b); });
        QStringList out;
        for (int p : positions)
            out << vxtest::file_stamp(ring.at(p).time) + '\t' + values_of(model.type, ring.at(p));
        return out;
    }
    // Lines as the old-format download writes them: date, blank, hh:mm (also
    // at midnight), tab, a0 + a1 x with "%5.1f".
    QStringList old_lines(const Positions& positions, float a0, float a1) const
    {
        QStringList out;
        for (int p : positions)
            out << ring.at(p).time.toString("d.M.yyyy hh:mm") + '\t' +
                       comma_fixed(a0 + a1 * float(ring.at(p).raw.at(0)), 5, 1);
        return out;
    }
    QStringList database(const QString& name = "MISIA1") const
    {
        return vxtest::file_lines(home.path("Log/" + name + ".txt"));
    }
    int mark() const { return vx::MarkStore().read_mark(mission); }

    vxtest::FakeHost host;
    std::unique_ptr<vx::Download> download;
    Model model{};
    int frames_before = 0;
    std::map<int, vxtest::RingRecord> ring;
    QString mission = QStringLiteral("MISIA1");
};

TEST_F(DownloadFlow, NewRecordsFetchFromTheMarkToThePointerOnceThoughStartedAgainMeanwhile)
{
    connect(model89, 130, 100);
    host.on_open = [&] {
        host.on_open = nullptr;
        EXPECT_TRUE(download->busy());
        download->new_records();
        download->newest_records();
        download->check_new_records();
    };
    download->new_records();
    EXPECT_FALSE(download->busy());

    EXPECT_EQ(block_positions(), (Positions{100, 110, 120}));
    EXPECT_EQ(frames(13).size(), 1) << "the mission name is read again";
    EXPECT_EQ(host.mission_name_shown, "MISIA1");
    EXPECT_EQ(database(), file_lines(range(100, 130)));
    EXPECT_EQ(mark(), 130);
    ASSERT_EQ(host.windows.size(), 1u);
    const auto& w = host.windows.front();
    EXPECT_EQ(w.caption, "Untitled");
    EXPECT_EQ(w.lines, QStringList{"Download: MISIA1"} + file_lines(range(100, 130)));
    EXPECT_FALSE(w.modified);
    EXPECT_EQ(w.redraws, 1);
    EXPECT_EQ(host.browser_refreshes, 1);
    EXPECT_FALSE(g.transfer.write_to_database);
    EXPECT_EQ(ui.args("progress_label").mid(0, 4),
              (QStringList{"Records: 0 / 30", "Records: 10 / 30", "Records: 20 / 30", "Records: 30 / 30"}));
    EXPECT_FALSE(ui.progress_visible);

    // Nothing new the second time.
    download->new_records();
    EXPECT_TRUE(ui.messages.value(0).first.startsWith("V zapisovači nie sú žiadne Nové záznamy\r\n"));
    EXPECT_EQ(host.windows.size(), 1u);
}

TEST_F(DownloadFlow, TransfersKeepFileAndMarkConsistentAndResumeAtTheMark)
{
    // A transfer that ends before the pointer says so ("Timeout ...").
    const struct {
        const char* what;
        Model model;
        int pointer;
        const char* args; // of the simulator
        int mark;
        Positions blocks;  // read, in order
        Positions fetched; // stored in the file
    } cases[] = {
        {"nine-byte records", model133, 130, "", 100, {100, 110, 120}, range(100, 130)},
        {"across the end of the ring", model89, 12, "--wrap", 10395, {10395, 0, 10}, {}},
        // A mark stored after a block that ended at the end of the ring.
        {"mark at the end of the ring", model89, 15, "--wrap", 10401, {0, 10}, range(0, 15)},
        {"bad block re-read", model89, 130, "--corrupt-block 2", 100, {100, 110, 110, 120}, range(100, 130)},
        // A block that stays bad ends the transfer at it.
        {"bad for good",
         model89,
         130,
         "--corrupt-block 2 --corrupt-block-times 4",
         100,
         {100, 110, 110, 110, 110},
         range(100, 110)},
        {"the logger goes away", model89, 150, "--close-after-blocks 2", 100, {100, 110}, range(100, 120)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(home.path("Log/MISIA1.txt"));
        connect(c.model, c.pointer, c.mark, QString(c.args).split(' ', Qt::SkipEmptyParts));
        download->new_records();
        Positions fetched = c.fetched;
        if (fetched.empty()) { // every record from the mark to the one before the pointer, once
            fetched = range(c.mark, c.model.ring_size);
            for (int p : range(0, c.pointer))
                fetched.push_back(p);
        }
        EXPECT_EQ(block_positions(), c.blocks);
        EXPECT_EQ(database(), file_lines(fetched));
        const int end = fetched.back() + 1;
        EXPECT_EQ(mark(), end);
        EXPECT_EQ(host.status_text, QString("%1 záznamov").arg(fetched.size()));
        EXPECT_EQ(host.new_records_text, QString::number(c.pointer - end));
        EXPECT_EQ(ui.args("show_message"), end == c.pointer ? QStringList() : QStringList{"Timeout ..."});
        EXPECT_TRUE(host.poll_running);
        if (end == c.pointer) continue;
        // A logger that answers again: the next download starts at the mark.
        connect(c.model, c.pointer, end);
        download->new_records();
        EXPECT_EQ(database(), file_lines(range(c.mark, c.pointer)));
        EXPECT_EQ(mark(), c.pointer);
    }
}

TEST_F(DownloadFlow, CancelKeepsWhatWasFetchedAlsoWithinABlockRead)
{
    for (bool within_read : {false, true}) {
        SCOPED_TRACE(within_read);
        // Slow replies, so that a cancel can land while the third block's address waits for its
        // acknowledgement.
        connect(model89, 150, 100, within_read ? QStringList{"--reply-delay", "120"} : QStringList{});
        ui.on_call = [&](const QString& call) { // while the second block is shown
            if (!within_read && call == "progress_log:20 / 50") g.link.abort();
        };
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (within_read && frames(11).size() >= 3 && !g.link.comm_abort) g.link.abort();
        });
        watcher.start(5);
        download->new_records();
        watcher.stop();
        EXPECT_EQ(ui.progress_lines, (QStringList{"10 / 50", "20 / 50"}));
        EXPECT_EQ(database(), file_lines(range(100, 120)));
        EXPECT_EQ(mark(), 120);
        EXPECT_EQ(host.new_records_text, "30");
        EXPECT_TRUE(ui.messages.isEmpty()) << "a cancel is no time-out";
        EXPECT_TRUE(host.poll_running);
    }
}

TEST_F(DownloadFlow, UnwritableDatabaseEndsTheTransferBeforeTheMarkMoves)
{
    connect(model89, 130, 100);
    home.write("Log", "not a directory"); // the log directory cannot be created
    download->new_records();
    EXPECT_EQ(block_positions(), Positions{100});
    EXPECT_EQ(mark(), 100);
    EXPECT_EQ(
        ui.args("show_message"),
        QStringList{"Adresár \\LOG nie je možné vytvoriť, Závažná chyba Vášho PC\r\n" + home.path("Log")});
    EXPECT_EQ(host.new_records_text, "30");
    EXPECT_TRUE(host.poll_running);
}

TEST_F(DownloadFlow, MarkOrSortThatFailsIsReportedAndFetchedRecordsStay)
{
    const QString store = QSettings("VORLANIX", "VORLANIX").fileName();
    const QString store_dir = QFileInfo(store).absolutePath();
    const QByteArray header = "MISIA1\nRemark: \nSTART: 1.1.2024\nPERIOD: 10\nGRADIENT: 0\n";
    for (const bool sort_fails : {false, true}) {
        SCOPED_TRACE(sort_fails ? "the sorted copy exceeds the file-size limit" : "the mark store breaks");
        QFile::remove(store_dir);
        home.write("Log/MISIA1.txt", header);
        connect(model89, 130, 100);
        // Once the mark is read, a file takes the store's folder: no mark can be written.
        if (!sort_fails)
            host.on_open = [&] {
                QDir(store_dir).removeRecursively();
                QFile(store_dir).open(QIODevice::WriteOnly);
            };
        const QByteArray records =
            (file_lines(range(100, sort_fails ? 130 : 110)).join("\r\n") + "\r\n").toLatin1();
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        if (sort_fails) limit.rlim_cur = rlim_t(header.size() + records.size()); // the appends fit
        const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const vx::DownloadOutcome outcome = download->new_records();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, old_handler);
        EXPECT_EQ(outcome, sort_fails ? vx::DownloadOutcome::sort_failed : vx::DownloadOutcome::mark_failed);
        // The file-size limit stops the audit trail's appends too, and says so.
        QStringList shown = ui.args("show_message");
        shown.removeIf([](const QString& m) { return m.startsWith("Záznam auditu"); });
        EXPECT_EQ(shown, QStringList{sort_fails ? "Záznamy sú uložené v " + home.path("Log/MISIA1.txt") +
                                                      ", ale súbor nie je možné zoradiť: File too large"
                                                : "Značku prenosu misie MISIA1 nie je možné uložiť do " +
                                                      store + ": cannot create the folder " + store_dir});
        // What was fetched stays; sorted (CR LF throughout) when only the mark failed.
        EXPECT_EQ(home.read("Log/MISIA1.txt"),
                  (sort_fails ? header : QByteArray(header).replace("\n", "\r\n")) + records);
        QFile::remove(store_dir);
        EXPECT_EQ(mark(), sort_fails ? 130 : -1);
    }
}

TEST_F(DownloadFlow, GuardsBeforeAnyTransfer)
{
    connect(model89, 130);
    // A pointer panel that is empty (no logger) or shows an error.
    for (const char* pointer : {"", "Error"}) {
        host.pointer = pointer;
        download->new_records();
        download->newest_records();
    }
    const QString mess5 = "Pripojte prístroj/zapisovač na COMport";
    const QString mess6 =
        "Nie je možné preniesť záznamy\r\n-prístroj má chybu v ukazovateli záznamov\r\nPoužite ŠTART misie";
    EXPECT_EQ(ui.args("show_message"), (QStringList{mess5, mess5, mess6, mess6}));
    // Without valid coefficients or a pointer in the ring the check does nothing.
    g.status.record_pointer = 140;
    g.coef.humidity_block_valid = false;
    const int stops = host.poll_stops;
    download->check_new_records();
    EXPECT_EQ(host.poll_stops, stops); // not even the poll is held
    g.coef.humidity_block_valid = true;
    for (int pointer : {0, 10402}) {
        g.status.record_pointer = pointer;
        download->check_new_records();
    }
    EXPECT_EQ(ui.messages.size(), 4);
    EXPECT_TRUE(frames(12).isEmpty());
    EXPECT_TRUE(host.windows.empty());
}

TEST_F(DownloadFlow, NewestRecordsEndJustBeforeThePointer)
{
    connect(model87, 50, 7);
    ui.input_answers = {QString(), std::nullopt, QString("abc"), QString("3902"), QString("25")};
    for (int i = 0; i < 5; ++i)
        download->newest_records();
    EXPECT_EQ(ui.args("show_message"),
              (QStringList{"'abc' is not a valid integer value", "Maximálne je možné preniesť3901záznamov"}));
    EXPECT_EQ(host.tips.first(), "DOWNLOADNUMREC");
    // The question says how many there are: the pointer's worth, or up to the
    // whole ring when the logger may have gone round it.
    EXPECT_EQ(ui.prompts.first(), "Zadajte počet najnovších záznamov\r\nPočet záznamov v zapisovači: 50");
    EXPECT_EQ(block_positions(), (Positions{25, 35, 45}));
    EXPECT_TRUE(frames(13).isEmpty()) << "the name is not read again";
    EXPECT_EQ(database(), file_lines(range(25, 50)));
    EXPECT_EQ(mark(), 7) << "the newest records leave the mark alone";
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_TRUE(host.windows.front().modified);
    EXPECT_EQ(ui.progress_lines, (QStringList{"10 / 25", "20 / 25", "25 / 25"}));

    // None (0 or less) opens an empty window and counts zero, without a frame.
    const auto sent = frames().size();
    ui.input_answers = {QString("0"), QString("-5")};
    download->newest_records();
    g.status.rollover = true;
    download->newest_records();
    EXPECT_TRUE(ui.prompts.last().endsWith(": 50 až 3901"));
    ASSERT_EQ(host.windows.size(), 3u);
    EXPECT_EQ(host.windows.back().lines, QStringList{"Download: MISIA1"});
    EXPECT_EQ(host.status_text, "0 záznamov");
    EXPECT_EQ(frames().size(), sent);
}

TEST_F(DownloadFlow, ClockSetBackAtTheAutumnChangeLosesNoRecordAndMergesRecordsFetchedTwice)
{
    // Every 10 minutes from 25.10.2026 00:00 summer time; at 03:00 (01:00 UTC) the clock is
    // set back to 02:00 winter time, so records 18.. are stamped 02:00, 02:10, ... again.
    const QStringList every_ten = {"--start", "2026-10-25T00:00", "--interval", "10"};
    connect(model89, 18, 0, every_ten);
    EXPECT_EQ(download->new_records(), vx::DownloadOutcome::done);
    vx::note_clock(g, home.path("Log/MISIA1.txt"),
                   {QDateTime(QDate(2026, 10, 25), QTime(1, 0), Qt::UTC), 3600}, true);
    connect(model89, 30, 18, every_ten + QStringList{"--clock-moved", "18:-60"});
    EXPECT_EQ(download->new_records(), vx::DownloadOutcome::done);

    // Every record stays, those sharing a stamp in the order they were recorded.
    const QStringList expected = file_lines(range(0, 30));
    EXPECT_EQ(database(), expected);
    EXPECT_EQ(download->last_sort().new_shared_stamps, 6);
    EXPECT_EQ(ui.args("show_message").value(0),
              "Záznamov s rovnakým časom ako staršie záznamy: 6 (nastavili ste hodiny zapisovača dozadu?). "
              "Všetky záznamy sú uložené.");

    // The newest ten fetched again are merged into the lines they repeat.
    ui.input_answers = {QString("10")};
    download->newest_records();
    EXPECT_EQ(std::pair(download->last_sort().repeats, download->last_sort().new_shared_stamps),
              std::pair(10, 0));
    EXPECT_EQ(database(), expected);

    // Exported, each record is its own instant: 10 minutes apart from 22:00 UTC on.
    vx::CsvOptions options;
    options.clock_notes = vx::RecordSourceStore().clock_notes("MISIA1.txt");
    QList<QDateTime> instants;
    for (const QString& row : vx::records_to_csv(database(), options).text.split("\r\n").mid(1, 30))
        instants << QDateTime::fromString(row.section(',', 0, 0), Qt::ISODate).toUTC();
    std::sort(instants.begin(), instants.end());
    for (int k = 0; k < 30; ++k)
        EXPECT_EQ(instants.value(k), QDateTime(QDate(2026, 10, 24), QTime(22, 0), Qt::UTC).addSecs(600 * k))
            << k;
}

TEST_F(DownloadFlow, CheckStoresAFirstMarkThenAsksOnceAndDownloadsOnYes)
{
    // A store that refuses the first mark is said once, not at every check.
    const QString store_dir = QFileInfo(QSettings("VORLANIX", "VORLANIX").fileName()).absolutePath();
    QDir(store_dir).removeRecursively();
    QFile(store_dir).open(QIODevice::WriteOnly);
    connect(model89, 130);
    download->check_new_records();
    download->check_new_records();
    EXPECT_EQ(ui.count("show_message:Značku prenosu misie"), 1);
    EXPECT_EQ(ui.messages.size(), 1);
    QFile::remove(store_dir);
    ui.messages.clear();

    connect(model89, 130);
    download->check_new_records();
    EXPECT_EQ(ui.count("show_message:POZOR tento zapisovač"), 1);
    // It says how to fetch the 130 records the logger holds, which "Prenos" will not.
    EXPECT_TRUE(ui.args("show_message")[0].endsWith(
        "\r\nZáznamy, ktoré už zapisovač obsahuje (130), prenesiete v menu Služby -> Prenos záznamov (F6). "
        "Prenos (F5) odteraz prenáša len nové záznamy."));
    EXPECT_EQ(mark(), 130);

    // The next check reports the records written since, once per connection.
    g.status.record_pointer = 142;
    ui.message_answers = {vx::mr::no};
    download->check_new_records();
    download->check_new_records();
    EXPECT_EQ(ui.args("show_message").value(1),
              "V zapisovači sú nové záznamy\r\npočet je: 12\r\nŽeláte si ich "
              "teraz preniesť ?\r\n\r\nzáznamy môžete kedykoľvek preniesť tlačidlom F5");
    EXPECT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(host.new_records_text, "12");
    EXPECT_TRUE(frames().isEmpty());

    // Yes downloads them; afterwards there is nothing to ask.
    connect(model89, 130, 100);
    ui.message_answers = {vx::mr::yes};
    download->check_new_records();
    download->check_new_records();
    EXPECT_EQ(database(), file_lines(range(100, 130)));
    EXPECT_EQ(mark(), 130);
    EXPECT_EQ(host.new_records_text, "0");
    EXPECT_EQ(ui.messages.size(), 1);
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.windows.front().redraws, 1);
}

TEST_F(DownloadFlow, OldFormatNewRecordsComeAsAStream)
{
    connect(model55, 30);
    g.coef.old_a0 = -10; // the poll brought these coefficients
    g.coef.old_a1 = 0.025f;
    download->new_records();

    EXPECT_EQ(frames(47).size(), 1);
    EXPECT_TRUE(frames(12).isEmpty());
    const QStringList want = old_lines(range(0, 30), -10, 0.025f);
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.windows.front().caption, "Download: 4321");
    EXPECT_EQ(host.windows.front().lines, QStringList{"Download: 4321"} + want);
    EXPECT_FALSE(host.windows.front().modified);
    EXPECT_EQ(database("4321"), want);
    EXPECT_EQ(host.status_text, "30 záznamov");
    EXPECT_EQ(ui.args("progress_label").value(1), "Record: 10");
    EXPECT_FALSE(ui.progress_visible);

    // The logger has sent all it had: nothing new the next time, and the file stays.
    download->new_records();
    EXPECT_EQ(ui.args("plain_message"), QStringList{"Žiadne nové záznamy nie sú v prístroji"});
    EXPECT_EQ(database("4321"), want);
}

TEST_F(DownloadFlow, OldFormatNewestRecordsReadTheCoefficientsFirstAndASilentLoggerIsAskedSixTimes)
{
    connect(model55, 40);
    g.status.record_pointer = 5401; // a broken pointer
    ui.input_answers = {QString("12"), QString("5401"), QString("12")};
    download->newest_records();
    g.status.record_pointer = 40; // the count goes out in two bytes; more than the memory holds is refused
    download->newest_records();
    EXPECT_EQ(ui.args("show_message"),
              (QStringList{
                  "Pripojený prístroj obsahuje chybu v ukazovateli záznamov\r\nNie je možné vykonať prenos "
                  "údajov\r\nSpustite MISIU tlačidlom ŠTART",
                  "Maximálne je možné preniesť5400záznamov"}));
    EXPECT_TRUE(frames().isEmpty());

    download->newest_records();
    QStringList sent;
    for (const auto& f : frames())
        sent << QStringLiteral("%1,%2").arg(f.cmd).arg(f.param);
    EXPECT_EQ(sent, (QStringList{"11,159", "45,12", "46,1"}));
    EXPECT_EQ(g.coef.old_a1, 0.05f);
    const QStringList want = old_lines(range(28, 40), -40, 0.05f);
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.windows.front().lines, QStringList{"Download: 4321"} + want);
    EXPECT_TRUE(host.windows.front().modified);
    EXPECT_EQ(database("4321"), want);
    EXPECT_EQ(ui.count("progress_label:GET CALIBS"), 1);

    // A logger that stays silent is asked six times, then said to be so.
    connect(model55, 30, -1, {"--silent"});
    ui.input_answers = {QString("12")};
    download->newest_records();
    EXPECT_EQ(frames(11).size(), 6);
    EXPECT_TRUE(frames(45).isEmpty());
    EXPECT_EQ(ui.args("show_message"), QStringList{"Prístroj neodpovedá"});
    EXPECT_TRUE(host.windows.empty());
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(host.poll_running);
}

} // namespace

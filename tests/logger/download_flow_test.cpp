// The download flows against the simulated logger, over a pseudo-terminal,
// with the real serial driver and link. Expected record lines are computed
// here from the simulator's ring dump with each model's conversion written
// out, never by the decoder under test.
#include "base/code_page.h"
#include "common/fake_ui.h"
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "link/serial_port.h"
#include "logger/download.h"
#include "logger/fake_host.h"
#include "logger/program_state.h"
#include "records/marks.h"

#include <QDateTime>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

using vxtest::FakeHost;
using vxtest::FakeUi;
using vxtest::SimProcess;

namespace
{

// One written ring position as the simulator dumps it.
struct RingRecord {
    QDateTime time;
    std::vector<long> raw;
};

std::map<int, RingRecord> parse_ring(const QStringList& lines)
{
    std::map<int, RingRecord> ring;
    for (const QString& line : lines) {
        const QStringList f = line.split('\t');
        if (f.size() < 3) continue;
        RingRecord r;
        r.time = QDateTime::fromString(f[1], QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        for (int i = 2; i < f.size(); ++i)
            r.raw.push_back(f[i].toLong());
        ring[f[0].toInt()] = r;
    }
    return ring;
}

// printf with the Slovak decimal comma.
QString fixed(double v, const char* format)
{
    return QString::asprintf(format, v).replace('.', ',');
}

// Digital temperature in 1/16 degree; 2000 and above count as negative.
float temp16(long r)
{
    return r < 2000 ? float(r) / 16.0f : -(float(65535 - r) / 16.0f);
}

// The record file's time stamp: d.M.yyyy, and " hh:mm" unless exactly midnight.
QString file_stamp(const QDateTime& t)
{
    const QDate d = t.date();
    QString s = QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year());
    if (t.time() != QTime(0, 0)) s += t.time().toString(QStringLiteral(" hh:mm"));
    return s;
}

struct Model {
    std::uint16_t type;
    int record_length;
    int ring_size;
};
constexpr Model model89{89, 6, 10401};  // digital temperature
constexpr Model model87{87, 8, 3901};   // temperature and humidity polynomial
constexpr Model model133{133, 9, 7000}; // temperature, capacitive humidity, air pressure

// Coefficients the tests give the attached logger.
constexpr float hum_a0 = -5.0f, hum_a1 = 0.25f;
constexpr float cap_F0 = 2600.0f, cap_S = 160.0f;
constexpr int cap_T = 3;

// The values of one record as the record file holds them, per model.
QString values_of(std::uint16_t type, const RingRecord& r)
{
    switch (type) {
    case 89:
        return fixed(temp16(r.raw.at(0)), "%5.1f");
    case 87: {
        const float b = float(r.raw.at(1));
        float h = hum_a0 + hum_a1 * b;
        h = std::clamp(h, 0.0f, 100.0f);
        return fixed(temp16(r.raw.at(0)), "%5.1f") + '\t' + fixed(h, "%5.1f");
    }
    case 133: {
        const float b = float(r.raw.at(1));
        float h = b > cap_F0 ? 0.0f : ((cap_F0 - b) * 16.0f / cap_S + float(cap_T)) / 2.0f;
        if (h > 99) h = 99.9f;
        return fixed(temp16(r.raw.at(0)), "%5.1f") + '\t' + fixed(h, "%5.1f") + '\t' +
               QString::number(r.raw.at(2) + 900);
    }
    }
    return {};
}

// The scripted user-interface port, also keeping the prompts of the input boxes.
struct PromptUi : FakeUi {
    QStringList prompts;
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& value) override
    {
        prompts << prompt;
        return FakeUi::input_box(caption, prompt, value);
    }
};

class DownloadFlow : public ::testing::Test
{
protected:
    // Starts the simulator and connects a link to it as a logger of model m
    // whose record pointer is pointer.
    void connect(const Model& m, int pointer, QStringList sim_args)
    {
        model = m;
        sim_args << "--type" << QString::number(m.type) << "--name" << mission;
        if (!sim_args.contains("--pointer")) sim_args << "--pointer" << QString::number(pointer);
        if (!sim_args.contains("--fill") && !sim_args.contains("--wrap"))
            sim_args << "--fill" << QString::number(pointer);
        ASSERT_TRUE(sim.start(sim_args)) << sim.errors().toStdString();
        ring = parse_ring(sim.ring());

        g.program_dir = home.dir();
        g.settings.LOGDIR = home.path("Log");
        g.lang.build_language_tables(g.program_dir, QStringLiteral("SLOVAK"));
        g.ui = &ui;
        g.link.attach_ui(&ui);
        g.link.attach_driver(&driver);
        driver.setBaudRateValue(19200);
        g.settings.port_devices[7] = sim.link();
        ASSERT_TRUE(g.link.open_comport(7, g.settings.port_devices));

        g.ident.type_code = m.type;
        g.ident.record_length = m.record_length;
        g.ident.ring_size = m.ring_size;
        g.link.record_length = m.record_length;
        g.status.record_pointer = pointer;
        g.status.mission_name = mission;
        g.coef.a0 = hum_a0;
        g.coef.a1 = hum_a1;
        g.coef.a2 = 0;
        g.coef.F0 = cap_F0;
        g.coef.S = cap_S;
        g.coef.kept[0] = cap_T;
        host.pointer = QString::number(pointer);
        vx::MarkStore().remove_mark(mission);
        download = std::make_unique<vx::Download>(g, host);
    }

    // Reconnects after the simulator was restarted (the same link path).
    void reconnect(const QStringList& sim_args)
    {
        g.link.close_comport();
        ASSERT_TRUE(sim.restart(sim_args));
        ASSERT_TRUE(g.link.open_comport(7, g.settings.port_devices));
    }

    void TearDown() override
    {
        g.link.close_comport();
        sim.kill();
    }

    // The start positions of the blocks the simulator answered or was asked for, in order.
    std::vector<int> block_positions() const
    {
        std::vector<int> out;
        int lo = -1;
        for (const auto& f : sim.frames()) {
            if (f.cmd == 11) lo = f.param;
            if (f.cmd == 12 && lo >= 0) out.push_back((f.param * 256 + lo - 1024) / model.record_length);
        }
        return out;
    }

    // The lines of the ring positions given, as the record file holds them,
    // in time order with each time stamp once.
    QStringList file_lines(const std::vector<int>& positions) const
    {
        std::map<QDateTime, QString> by_time;
        for (int p : positions) {
            const RingRecord& r = ring.at(p);
            by_time.emplace(r.time, file_stamp(r.time) + '\t' + values_of(model.type, r));
        }
        QStringList out;
        for (const auto& [t, line] : by_time)
            out << line;
        return out;
    }

    static std::vector<int> range(int from, int to) // from .. to - 1
    {
        std::vector<int> v;
        for (int p = from; p < to; ++p)
            v.push_back(p);
        return v;
    }

    QStringList database() const
    {
        QFile f(home.path("Log/" + mission + ".txt"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = vx::from_cp1250(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }

    int mark() const { return vx::MarkStore().read_mark(mission); }
    void set_mark(int m) { vx::MarkStore().write_mark(mission, m); }

    vxtest::TempHome home;
    SimProcess sim;
    vx::TCommPortDriver driver;
    vx::Global g;
    PromptUi ui;
    FakeHost host;
    std::unique_ptr<vx::Download> download;
    Model model{};
    std::map<int, RingRecord> ring;
    QString mission = QStringLiteral("MISIA1");
};

// ---------------------------------------------------------------------------
// New records ("Prenos", F5)

TEST_F(DownloadFlow, NewRecordsFetchFromTheMarkToThePointer)
{
    connect(model89, 130, {});
    set_mark(100);
    download->new_records();

    EXPECT_EQ(block_positions(), (std::vector<int>{100, 110, 120}));
    EXPECT_EQ(sim.frames(13).size(), 1) << "the mission name is read again";
    EXPECT_EQ(host.mission_name_shown, "MISIA1");
    EXPECT_EQ(database(), file_lines(range(100, 130)));
    EXPECT_EQ(mark(), 130);

    ASSERT_EQ(host.windows.size(), 1u);
    const auto& w = host.windows.front();
    EXPECT_EQ(w.caption, "Untitled");
    ASSERT_EQ(w.lines.size(), 31);
    EXPECT_EQ(w.lines.front(), "Download: MISIA1");
    EXPECT_FALSE(w.modified);
    EXPECT_EQ(w.redraws, 1);
    EXPECT_EQ(host.status_text, "30 záznamov");
    EXPECT_EQ(host.new_records_text, "0");
    EXPECT_EQ(host.browser_refreshes, 1);
    EXPECT_TRUE(host.poll_running);
    EXPECT_FALSE(g.transfer.write_to_database);
    EXPECT_EQ(g.transfer.record_counter, 30);

    EXPECT_EQ(ui.calls.filter("progress_show").value(0), "progress_show:Komunikácia");
    EXPECT_EQ(ui.calls.filter("progress_label:Records"),
              (QStringList{"progress_label:Records: 0 / 30", "progress_label:Records: 10 / 30",
                           "progress_label:Records: 20 / 30", "progress_label:Records: 30 / 30"}));
    EXPECT_EQ(ui.progress_lines, (QStringList{"10 / 30", "20 / 30", "30 / 30"}));
    EXPECT_EQ(ui.count("progress_range:30"), 1);
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_EQ(ui.count("show_message"), 0);

    // Nothing new the second time.
    download->new_records();
    EXPECT_EQ(
        ui.calls.filter("show_message").value(0),
        "show_message:V zapisovači nie sú žiadne Nové záznamy\r\nmôžete preniesť staršie záznamy v Menu: "
        "Služby->Preniesť záznamy");
    EXPECT_EQ(host.windows.size(), 1u);
}

TEST_F(DownloadFlow, NewRecordsKeepTheHeaderOfTheDatabaseFile)
{
    connect(model87, 45, {});
    const QStringList header{"MISIA1", "Remark: x", "START: 1.1.2024", "PERIOD: 10", "GRADIENT: 0"};
    home.write("Log/MISIA1.txt", *vx::to_cp1250(header.join("\r\n") + "\r\n"));
    set_mark(20);
    download->new_records();

    EXPECT_EQ(block_positions(), (std::vector<int>{20, 30, 40}));
    EXPECT_EQ(database(), header + file_lines(range(20, 45)));
    EXPECT_EQ(mark(), 45);
    EXPECT_EQ(host.status_text, "25 záznamov");
}

TEST_F(DownloadFlow, NineByteRecordsOfTheFullModel)
{
    connect(model133, 130, {});
    set_mark(100);
    download->new_records();
    EXPECT_EQ(block_positions(), (std::vector<int>{100, 110, 120}));
    EXPECT_EQ(database(), file_lines(range(100, 130)));
    EXPECT_EQ(mark(), 130);
    ASSERT_FALSE(host.windows.empty());
    EXPECT_TRUE(host.windows.front().wide);
}

TEST_F(DownloadFlow, RangeAcrossTheEndOfTheRingFetchesEveryRecordOnce)
{
    // The ring has wrapped: positions below the pointer hold the newest records.
    connect(model89, 12, {"--wrap"});
    set_mark(10395);
    download->new_records();

    EXPECT_EQ(block_positions(), (std::vector<int>{10395, 0, 10}));
    std::vector<int> positions = range(10395, 10401);
    for (int p : range(0, 12))
        positions.push_back(p);
    const QStringList want = file_lines(positions);
    ASSERT_EQ(want.size(), 18);
    EXPECT_EQ(database(), want);
    EXPECT_EQ(host.status_text, "18 záznamov");
    EXPECT_EQ(mark(), 12);
    EXPECT_EQ(ui.calls.filter("progress_label:Records").value(3), "progress_label:Records: 18 / 18");
}

TEST_F(DownloadFlow, MarkAtTheEndOfTheRingContinuesAtZero)
{
    connect(model89, 15, {"--wrap"});
    set_mark(10401); // stored after a block that ended at the end of the ring
    download->new_records();
    EXPECT_EQ(block_positions(), (std::vector<int>{0, 10}));
    EXPECT_EQ(database(), file_lines(range(0, 15)));
    EXPECT_EQ(mark(), 15);
}

TEST_F(DownloadFlow, PointerPanelGuardsTheDownloads)
{
    connect(model89, 130, {});
    set_mark(100);

    host.pointer.clear();
    download->new_records();
    download->newest_records();
    host.pointer = "Error";
    download->new_records();
    download->newest_records();

    const QString mess5 = "show_message:Pripojte prístroj/zapisovač na COMport";
    const QString mess6 = "show_message:Nie je možné preniesť záznamy\r\n-prístroj má chybu v ukazovateli "
                          "záznamov\r\nPoužite ŠTART misie";
    EXPECT_EQ(ui.calls.filter("show_message"), (QStringList{mess5, mess5, mess6, mess6}));
    EXPECT_TRUE(sim.frames().isEmpty());
    EXPECT_TRUE(host.windows.empty());
    EXPECT_EQ(mark(), 100);
    EXPECT_EQ(host.status_text, "");
    EXPECT_TRUE(host.poll_running);
}

TEST_F(DownloadFlow, UnknownMissionGetsAFirstMarkInsteadOfATransfer)
{
    connect(model89, 130, {});
    download->new_records();
    EXPECT_EQ(ui.calls.filter("show_message").size(), 1);
    EXPECT_TRUE(ui.calls.filter("show_message")
                    .value(0)
                    .startsWith("show_message:POZOR tento zapisovač bol pripojený prvýkrát na tot PC\r\n"));
    EXPECT_EQ(mark(), 130);
    EXPECT_TRUE(sim.frames(12).isEmpty());
    EXPECT_TRUE(host.windows.empty());
}

// ---------------------------------------------------------------------------
// Failures: cancel, bad blocks, a logger that goes away

TEST_F(DownloadFlow, CancelKeepsWhatWasFetched)
{
    connect(model89, 150, {});
    set_mark(100);
    // The user presses cancel while the second block is shown.
    ui.on_call = [&](const QString& call) {
        if (call == "progress_log:20 / 50") g.link.abort();
    };
    download->new_records();

    EXPECT_EQ(block_positions(), (std::vector<int>{100, 110}));
    EXPECT_EQ(database(), file_lines(range(100, 120)));
    EXPECT_EQ(mark(), 120);
    EXPECT_EQ(host.status_text, "20 záznamov");
    EXPECT_EQ(host.new_records_text, "30");
    EXPECT_EQ(ui.count("show_message"), 0);
    EXPECT_TRUE(host.poll_running);

    // The next download takes the rest.
    ui.on_call = nullptr;
    download->new_records();
    EXPECT_EQ(database(), file_lines(range(100, 150)));
    EXPECT_EQ(mark(), 150);
}

TEST_F(DownloadFlow, CancelDuringABlockReadLeavesTheMarkBeforeIt)
{
    // Slow replies, so that the cancel lands while the third block's address waits for its acknowledgement.
    connect(model89, 150, {"--reply-delay", "120"});
    set_mark(100);
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (sim.frames(11).size() >= 3 && !g.link.comm_abort) g.link.abort();
    });
    watcher.start();
    download->new_records();
    watcher.stop();

    EXPECT_EQ(ui.progress_lines, (QStringList{"10 / 50", "20 / 50"}));
    EXPECT_EQ(database(), file_lines(range(100, 120)));
    EXPECT_EQ(mark(), 120);
    EXPECT_EQ(ui.count("show_message"), 0) << "a cancel is no time-out";
    EXPECT_EQ(host.status_text, "20 záznamov");
}

TEST_F(DownloadFlow, CorruptedBlockIsReadAgain)
{
    connect(model89, 130, {"--corrupt-block", "2"});
    set_mark(100);
    download->new_records();

    EXPECT_EQ(block_positions(), (std::vector<int>{100, 110, 110, 120}));
    EXPECT_EQ(database(), file_lines(range(100, 130)));
    EXPECT_EQ(mark(), 130);
    EXPECT_EQ(ui.count("show_message"), 0);
}

TEST_F(DownloadFlow, BlockThatStaysBadEndsTheTransferAtIt)
{
    connect(model89, 130, {"--corrupt-block", "2", "--corrupt-block-times", "4"});
    set_mark(100);
    download->new_records();

    EXPECT_EQ(block_positions(), (std::vector<int>{100, 110, 110, 110, 110}));
    EXPECT_EQ(ui.calls.filter("show_message"), QStringList{"show_message:Timeout ..."});
    EXPECT_EQ(database(), file_lines(range(100, 110)));
    EXPECT_EQ(mark(), 110) << "the mark stays at the block that failed";
    EXPECT_EQ(host.status_text, "10 záznamov");
    EXPECT_EQ(host.new_records_text, "20");
    EXPECT_TRUE(host.poll_running);

    // The logger answers again: the next download starts at the failed block.
    download->new_records();
    EXPECT_EQ(database(), file_lines(range(100, 130)));
    EXPECT_EQ(mark(), 130);
}

TEST_F(DownloadFlow, LoggerLostMidTransferLeavesAConsistentFileAndMark)
{
    connect(model89, 150, {"--close-after-blocks", "2"});
    set_mark(100);
    download->new_records();

    EXPECT_EQ(database(), file_lines(range(100, 120)));
    EXPECT_EQ(mark(), 120);
    EXPECT_EQ(ui.calls.filter("show_message"), QStringList{"show_message:Timeout ..."});
    EXPECT_EQ(host.status_text, "20 záznamov");

    reconnect({"--type", "89", "--name", mission, "--pointer", "150", "--fill", "150"});
    download->new_records();
    EXPECT_EQ(database(), file_lines(range(100, 150)));
    EXPECT_EQ(mark(), 150);
}

TEST_F(DownloadFlow, UnwritableDatabaseEndsTheTransferBeforeTheMarkMoves)
{
    connect(model89, 130, {});
    set_mark(100);
    // The log directory cannot be created: a file stands in its place.
    home.write("Log", "not a directory");
    download->new_records();

    EXPECT_EQ(block_positions(), std::vector<int>{100});
    EXPECT_EQ(mark(), 100);
    EXPECT_EQ(ui.count("show_message:Adresár \\LOG nie je možné vytvoriť"), 1);
    EXPECT_EQ(ui.count("show_message:Timeout"), 0);
    EXPECT_EQ(host.new_records_text, "30");
    EXPECT_TRUE(host.poll_running);
}

TEST_F(DownloadFlow, SecondStartWhileRunningIsIgnored)
{
    connect(model89, 130, {});
    set_mark(100);
    host.on_open = [&] {
        EXPECT_TRUE(download->busy());
        download->new_records();
        download->newest_records();
        download->check_new_records();
    };
    download->new_records();
    EXPECT_FALSE(download->busy());
    EXPECT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(sim.frames(13).size(), 1);
    EXPECT_EQ(block_positions(), (std::vector<int>{100, 110, 120}));
    EXPECT_EQ(mark(), 130);
}

// ---------------------------------------------------------------------------
// The newest N records ("Prenos záznamov", F6)

TEST_F(DownloadFlow, NewestRecordsEndJustBeforeThePointer)
{
    connect(model87, 50, {});
    set_mark(7);
    ui.input_answers.push_back(QStringLiteral("25"));
    download->newest_records();

    EXPECT_EQ(host.tips, QStringList{"DOWNLOADNUMREC"});
    EXPECT_EQ(ui.calls.filter("input_box"), QStringList{"input_box:Preniesť záznamy z prístroja"});
    EXPECT_EQ(ui.prompts, QStringList{"Zadajte počet najnovších záznamov"});
    EXPECT_EQ(block_positions(), (std::vector<int>{25, 35, 45}));
    EXPECT_TRUE(sim.frames(13).isEmpty()) << "the name is not read again";
    EXPECT_EQ(database(), file_lines(range(25, 50)));
    EXPECT_EQ(mark(), 7) << "the newest records leave the mark alone";
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_TRUE(host.windows.front().modified);
    EXPECT_EQ(host.windows.front().lines.size(), 26);
    EXPECT_EQ(host.status_text, "25 záznamov");
    EXPECT_EQ(ui.progress_lines, (QStringList{"10 / 25", "20 / 25", "25 / 25"}));
}

TEST_F(DownloadFlow, NewestRecordsAnswersThatEndTheFlow)
{
    connect(model87, 50, {});
    ui.input_answers = {QString(), std::nullopt, QStringLiteral("abc"), QStringLiteral("3902")};
    for (int i = 0; i < 4; ++i)
        download->newest_records();

    EXPECT_EQ(ui.calls.filter("show_message"),
              (QStringList{"show_message:'abc' is not a valid integer value",
                           "show_message:Maximálne je možné preniesť3901záznamov"}));
    EXPECT_TRUE(sim.frames().isEmpty());
    EXPECT_TRUE(host.windows.empty());
    EXPECT_TRUE(host.poll_running);
}

TEST_F(DownloadFlow, NewestRecordsOfNoneOpenAnEmptyWindowAndCountZero)
{
    connect(model87, 50, {});
    ui.input_answers = {QStringLiteral("0"), QStringLiteral("-5")};
    download->newest_records();
    download->newest_records();
    ASSERT_EQ(host.windows.size(), 2u);
    EXPECT_EQ(host.windows.back().lines, QStringList{"Download: MISIA1"});
    EXPECT_EQ(host.status_text, "0 záznamov");
    EXPECT_TRUE(sim.frames().isEmpty());
}

TEST_F(DownloadFlow, NewestRecordsAcceptTheWholeRing)
{
    connect(model87, 50, {"--wrap"});
    ui.input_answers.push_back(QStringLiteral("3901"));
    // Stop after the first block: the whole ring starts at the pointer.
    ui.on_call = [&](const QString& call) {
        if (call.startsWith("progress_log")) g.link.abort();
    };
    download->newest_records();
    EXPECT_EQ(block_positions(), std::vector<int>{50});
    EXPECT_EQ(ui.calls.filter("progress_label:Records").value(1), "progress_label:Records: 10 / 3901");
    EXPECT_EQ(database(), file_lines(range(50, 60)));
}

// ---------------------------------------------------------------------------
// The check after a name block

TEST_F(DownloadFlow, CheckOnFirstContactStoresTheMark)
{
    connect(model89, 130, {});
    download->check_new_records();
    EXPECT_EQ(ui.count("show_message:POZOR tento zapisovač"), 1);
    EXPECT_EQ(mark(), 130);
    EXPECT_TRUE(sim.frames().isEmpty());

    // The next check reports the records written since.
    g.status.record_pointer = 142;
    ui.message_answers.push_back(vx::mr::no);
    download->check_new_records();
    EXPECT_EQ(host.new_records_text, "12");
    EXPECT_EQ(
        ui.calls.filter("show_message").value(1),
        "show_message:V zapisovači sú nové záznamy\r\npočet je: 12\r\nŽeláte si ich teraz preniesť ?\r\n\r\n"
        "záznamy môžete kedykoľvek preniesť tlačidlom F5");
    EXPECT_TRUE(g.transfer.already_asked);

    // Asked once per connection.
    download->check_new_records();
    EXPECT_EQ(ui.count("show_message"), 2);
    EXPECT_EQ(host.new_records_text, "12");
    EXPECT_TRUE(host.poll_running);
}

TEST_F(DownloadFlow, CheckAnsweredYesDownloadsTheNewRecords)
{
    connect(model89, 130, {});
    set_mark(100);
    ui.message_answers.push_back(vx::mr::yes);
    download->check_new_records();

    EXPECT_EQ(block_positions(), (std::vector<int>{100, 110, 120}));
    EXPECT_EQ(database(), file_lines(range(100, 130)));
    EXPECT_EQ(mark(), 130);
    EXPECT_EQ(host.new_records_text, "0");
    EXPECT_EQ(host.status_text, "30 záznamov");
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.windows.front().redraws, 1);

    // Nothing new: no question.
    download->check_new_records();
    EXPECT_EQ(ui.count("show_message"), 1);
    EXPECT_EQ(host.new_records_text, "0");
}

TEST_F(DownloadFlow, CheckDoesNothingWithoutValidCoefficientsOrPointer)
{
    connect(model89, 130, {});
    g.coef.humidity_block_valid = false;
    download->check_new_records();
    EXPECT_EQ(host.poll_stops, 0);

    g.coef.humidity_block_valid = true;
    g.status.record_pointer = 0;
    download->check_new_records();
    g.status.record_pointer = 10402;
    download->check_new_records();
    EXPECT_EQ(mark(), -1);
    EXPECT_TRUE(ui.calls.isEmpty());
    EXPECT_TRUE(host.poll_running);
}

// ---------------------------------------------------------------------------
// The old-format logger (type 55): a stream of 7-byte records

class OldFormatDownload : public DownloadFlow
{
protected:
    void connect_old(int fill, QStringList sim_args = {})
    {
        sim_args << "--serial"
                 << "4321"
                 << "--coef"
                 << "-40,0.05,0";
        connect(Model{55, 7, 5400}, fill, sim_args);
        g.status.serial = 4321;
        g.now = [] { return QDateTime(QDate(2024, 6, 1), QTime(12, 0)); };
    }

    // Lines as the old-format download writes them: date, blank, hh:mm (also
    // at midnight), tab, a0 + a1 x + a2 x^2 with "%5.1f".
    QStringList old_lines(const std::vector<int>& positions, float a0, float a1, float a2) const
    {
        QStringList out;
        for (int p : positions) {
            const RingRecord& r = ring.at(p);
            const float x = float(r.raw.at(0));
            const QDate d = r.time.date();
            out << QStringLiteral("%1.%2.%3 ").arg(d.day()).arg(d.month()).arg(d.year()) +
                       r.time.time().toString("hh:mm") + '\t' + fixed(a0 + a1 * x + a2 * x * x, "%5.1f");
        }
        return out;
    }

    QStringList old_database() const
    {
        QFile f(home.path("Log/4321.txt"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = vx::from_cp1250(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
};

TEST_F(OldFormatDownload, NewRecordsComeAsAStream)
{
    connect_old(30);
    // The poll brought these coefficients.
    g.coef.old_a0 = -10;
    g.coef.old_a1 = 0.025f;
    g.coef.old_a2 = 0;
    download->new_records();

    EXPECT_EQ(sim.frames(47).size(), 1);
    EXPECT_TRUE(sim.frames(12).isEmpty());
    const QStringList want = old_lines(range(0, 30), -10, 0.025f, 0);
    ASSERT_EQ(host.windows.size(), 1u);
    const auto& w = host.windows.front();
    EXPECT_EQ(w.caption, "Download: 4321");
    EXPECT_EQ(w.lines, QStringList{"Download: 4321"} + want);
    EXPECT_FALSE(w.modified);
    EXPECT_EQ(old_database(), want);
    EXPECT_EQ(host.status_text, "30 záznamov");
    EXPECT_EQ(ui.count("progress_show:Prenos..."), 1);
    EXPECT_EQ(ui.count("progress_range:5500"), 2) << "once for the window, once for the stream";
    EXPECT_EQ(ui.calls.filter("progress_label:Record: ").value(1), "progress_label:Record: 10");
    EXPECT_EQ(ui.progress_maximum, 100);
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(host.poll_running);

    // The logger has sent all it had: nothing new the next time, and the file stays.
    download->new_records();
    EXPECT_EQ(ui.count("plain_message:Žiadne nové záznamy nie sú v prístroji"), 1);
    EXPECT_EQ(old_database(), want);
}

TEST_F(OldFormatDownload, NewestRecordsReadTheCoefficientsFirst)
{
    connect_old(40);
    ui.input_answers.push_back(QStringLiteral("12"));
    download->newest_records();

    const auto frames = sim.frames();
    QStringList sent;
    for (const auto& f : frames)
        sent << QStringLiteral("%1,%2").arg(f.cmd).arg(f.param);
    EXPECT_EQ(sent, (QStringList{"11,159", "45,12", "46,1"}));
    EXPECT_EQ(g.coef.old_a1, 0.05f);
    const QStringList want = old_lines(range(28, 40), -40, 0.05f, 0);
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.windows.front().lines, QStringList{"Download: 4321"} + want);
    EXPECT_TRUE(host.windows.front().modified);
    EXPECT_EQ(old_database(), want);
    EXPECT_EQ(ui.count("progress_show:Download records..."), 1);
    EXPECT_EQ(ui.count("progress_label:GET CALIBS"), 1);
    EXPECT_EQ(ui.count("progress_range:12"), 1);
}

TEST_F(OldFormatDownload, NewestRecordsRefusedForABrokenPointerOrTooManyRecords)
{
    connect_old(30);
    g.status.record_pointer = 5401;
    ui.input_answers.push_back(QStringLiteral("12"));
    download->newest_records();
    // The count goes out in two bytes; more than the memory holds is refused.
    g.status.record_pointer = 5400;
    ui.input_answers.push_back(QStringLiteral("5401"));
    download->newest_records();

    EXPECT_EQ(
        ui.calls.filter("show_message"),
        (QStringList{"show_message:Pripojený prístroj obsahuje chybu v ukazovateli záznamov\nNie je možné "
                     "vykonať prenos údajov\nSpustite MISIU tlačidlom ŠTART",
                     "show_message:Maximálne je možné preniesť5400záznamov"}));
    EXPECT_TRUE(sim.frames().isEmpty());
    EXPECT_TRUE(host.windows.empty());
}

TEST_F(OldFormatDownload, SilentLoggerIsAskedSixTimes)
{
    connect_old(30, {"--silent"});
    ui.input_answers.push_back(QStringLiteral("12"));
    download->newest_records();
    EXPECT_EQ(sim.frames(11).size(), 6);
    EXPECT_TRUE(sim.frames(45).isEmpty());
    EXPECT_EQ(ui.calls.filter("show_message"), QStringList{"show_message:Prístroj neodpovedá"});
    EXPECT_TRUE(host.windows.empty());
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(host.poll_running);
}

} // namespace

// Record downloads through the main window against the simulated logger:
// "Prenos" (F5), "Prenos záznamov" (F6) and the check after the name tick
// open viewers, append to the mission's record file and keep the marks.
//
// Expected lines are computed here from the simulator's ring dump with the
// type 87 conversions: temperature = raw / 16 (raw below 2000), humidity =
// a0 + a1 * raw limited to 0..100, no corrections, "%5.1f" with a decimal
// comma; the file writes a record at midnight with its date alone.
#include "app/main_window.h"
#include "app/qt_print.h"
#include "app/scripted_ui.h"
#include "base/ui_port.h"
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "common/window_on_sim.h"
#include "logger/program_state.h"
#include "records/marks.h"
#include "viewer/record_viewer.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

using vx::TForm1;

namespace
{

// A scripted port that also lets the test act after each block of a transfer.
class BlockUi : public vxtest::ScriptedUi
{
public:
    std::function<void()> after_block; // called when a block's progress is logged
    void progress_log(const QString& line) override
    {
        logged << line;
        if (after_block) after_block();
    }
    QStringList logged;
};

struct RingRecord {
    int pos = 0;
    QDateTime time;
    int raw1 = 0, raw2 = 0;
};

// "pos<TAB>yyyy-mm-dd hh:mm:ss<TAB>raw1<TAB>raw2" per written position.
std::vector<RingRecord> parse_ring(const QStringList& dump)
{
    std::vector<RingRecord> out;
    for (const QString& line : dump) {
        const QStringList f = line.split('\t');
        if (f.size() < 4) continue;
        RingRecord r;
        r.pos = f[0].toInt();
        r.time = QDateTime::fromString(f[1], "yyyy-MM-dd hh:mm:ss");
        r.raw1 = f[2].toInt();
        r.raw2 = f[3].toInt();
        out.push_back(r);
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.pos < b.pos; });
    return out;
}

// "%5.1f" with a decimal comma; a value halfway between two tenths (such as
// 22.25, exact in binary) rounds up, away from zero.
QString f51(float v)
{
    const double tenths = std::floor(static_cast<double>(v) * 10.0 + 0.5);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%5.1f", tenths / 10.0);
    return QString::fromLatin1(buf).replace('.', ',');
}

constexpr float a0 = 2.0f, a1 = 0.1f;

QString values_87(const RingRecord& r)
{
    const float t = static_cast<float>(r.raw1) / 16.0f;
    const float h = std::clamp(a0 + a1 * static_cast<float>(r.raw2), 0.0f, 100.0f);
    return f51(t) + '\t' + f51(h);
}

// The line as the record file holds it.
QString file_line(const RingRecord& r)
{
    const QString stamp =
        r.time.time() == QTime(0, 0) ? r.time.toString("d.M.yyyy") : r.time.toString("d.M.yyyy hh:mm");
    return stamp + '\t' + values_87(r);
}

// The line as a download shows it in the viewer.
QString view_line(const RingRecord& r)
{
    return r.time.toString("d.M.yyyy hh:mm") + '\t' + values_87(r);
}

const QStringList header{"SKLAD", "Remark: ", "START: 5.3.2024 21:00", "PERIOD: 10", "GRADIENT: 0"};

class DownloadWindowTest : public ::testing::Test
{
protected:
    // The simulator as a type 87 logger with positions 0..fill-1 written,
    // ten minutes apart from 5.3.2024 22:00 (record 12 falls on midnight).
    QStringList logger(const QString& name, int fill)
    {
        return {"--type",     "87",      "--serial", "870",
                "--name",     name,      "--fill",   QString::number(fill),
                "--coef",     "2,0.1,0", "--start",  "2024-03-05T22:00",
                "--interval", "10"};
    }
    TForm1& start(const QStringList& args)
    {
        EXPECT_TRUE(sim.start(args)) << sim.errors().toStdString();
        w = vxtest::start_window_on(g, ui, home, sim.link());
        return *w;
    }
    // Runs the event loop until the poll has read the mission name (the
    // automatic check runs in that same tick) and the record pointer.
    bool connected(const QString& name, const QString& pointer)
    {
        return QTest::qWaitFor([&] { return w->Panmisname->text() == name && w->panptr->text() == pointer; },
                               10000);
    }
    std::vector<RingRecord> ring(int from, int to) const
    {
        std::vector<RingRecord> out;
        for (const RingRecord& r : parse_ring(sim.ring()))
            if (r.pos >= from && r.pos < to) out.push_back(r);
        return out;
    }
    QStringList file_lines(const QString& name) const
    {
        QStringList lines = QString::fromLatin1(home.read("Log/" + name + ".txt")).split("\r\n");
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
    QList<vx::TEditForm*> viewers() const
    {
        QList<vx::TEditForm*> out;
        for (QMdiSubWindow* s : w->mdi()->subWindowList(QMdiArea::CreationOrder))
            if (auto* v = qobject_cast<vx::TEditForm*>(s->widget())) out << v;
        return out;
    }
    QStringList viewer_lines(vx::TEditForm* v) const { return v->text().split('\n'); }

    void TearDown() override
    {
        w.reset();
        for (const char* name : {"SKLAD", "SKLAD2", "SKLAD3", "SKLAD4", "SKLAD5"})
            vx::MarkStore().remove_mark(name);
    }

    vxtest::TempHome home;
    vxtest::SimProcess sim;
    vx::Global g;
    BlockUi ui;
    std::unique_ptr<TForm1> w;
};

TEST_F(DownloadWindowTest, F5FetchesTheNewRecordsIntoAViewerAndTheRecordFile)
{
    vx::MarkStore().write_mark("SKLAD", 20);
    QByteArray head;
    for (const QString& h : header)
        head += h.toLatin1() + "\r\n";
    home.write("Log/SKLAD.txt", head);

    TForm1& f = start(logger("SKLAD", 57));
    ASSERT_TRUE(connected("SKLAD", "57"));

    // The check after the name tick: 37 new records, offered once; No keeps them.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QString("V zapisovači sú nové záznamy\r\npočet je: 37\r\nŽeláte si ich teraz preniesť ?\r\n\r\n"
                      "záznamy môžete kedykoľvek preniesť tlačidlom F5"));
    EXPECT_EQ(ui.messages[0].buttons, vx::btn::yes | vx::btn::no);
    EXPECT_EQ(f.PannewRec->text(), QString("37"));
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());

    f.act_newrecords->trigger();

    ASSERT_EQ(viewers().size(), 1);
    vx::TEditForm* v = viewers()[0];
    const auto records = ring(20, 57);
    ASSERT_EQ(records.size(), 37u);
    QStringList shown{"Download: SKLAD"};
    QStringList stored = header;
    for (const RingRecord& r : records) {
        shown << view_line(r);
        stored << file_line(r);
    }
    EXPECT_EQ(viewer_lines(v), shown);
    EXPECT_EQ(v->windowTitle(), QString("Untitled"));
    EXPECT_FALSE(v->is_modified());
    EXPECT_EQ(v->graph_points(), 37);
    EXPECT_TRUE(v->has_second_series());
    EXPECT_EQ(file_lines("SKLAD"), stored);
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD"), 57);
    EXPECT_EQ(f.stbar0->text(), QString("37 záznamov"));
    EXPECT_EQ(f.PannewRec->text(), QString("0"));
    EXPECT_TRUE(f.menu_window->menuAction()->isEnabled());
    EXPECT_TRUE(f.poll_running());
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_EQ(ui.messages.size(), 1u); // nothing went wrong

    // Nothing new since: F5 says so and opens no viewer.
    f.act_newrecords->trigger();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.messages[1].text.startsWith("V zapisovači nie sú žiadne Nové záznamy"));
    EXPECT_EQ(viewers().size(), 1);
    EXPECT_EQ(file_lines("SKLAD").size(), stored.size());
}

TEST_F(DownloadWindowTest, YesToTheCheckAfterTheNameTickDownloads)
{
    vx::MarkStore().write_mark("SKLAD2", 50);
    ui.message_answers = {vx::mr::yes};
    TForm1& f = start(logger("SKLAD2", 64));
    ASSERT_TRUE(connected("SKLAD2", "64"));

    ASSERT_GE(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QString("V zapisovači sú nové záznamy\r\npočet je: 14\r\nŽeláte si ich teraz preniesť ?\r\n\r\n"
                      "záznamy môžete kedykoľvek preniesť tlačidlom F5"));
    ASSERT_EQ(viewers().size(), 1);
    QStringList stored, shown{"Download: SKLAD2"};
    for (const RingRecord& r : ring(50, 64)) {
        stored << file_line(r);
        shown << view_line(r);
    }
    ASSERT_EQ(stored.size(), 14);
    // A file without a header: the sort keeps its dated lines in time order.
    EXPECT_EQ(file_lines("SKLAD2"), stored);
    EXPECT_EQ(viewer_lines(viewers()[0]), shown);
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD2"), 64);
    EXPECT_EQ(f.PannewRec->text(), QString("0"));
    EXPECT_EQ(f.stbar0->text(), QString("14 záznamov"));
    EXPECT_EQ(viewers()[0]->graph_points(), 14);

    // Asked once per connection: later name ticks neither ask nor download.
    const auto asked = ui.messages.size();
    ASSERT_TRUE(sim.wait_frames(sim.frames().size() + 5, 8000));
    EXPECT_EQ(ui.messages.size(), asked);
    EXPECT_EQ(viewers().size(), 1);
    EXPECT_TRUE(f.poll_running());
}

TEST_F(DownloadWindowTest, FirstContactStoresTheMarkThenF6FetchesTheNewestRecords)
{
    TForm1& f = start(logger("SKLAD3", 57));
    ASSERT_TRUE(connected("SKLAD3", "57"));

    // A logger never met before: MESS10 and the pointer as the mark, no download.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith("POZOR tento zapisovač bol pripojený prvýkrát na tot PC\r\n"));
    EXPECT_EQ(ui.messages[0].buttons, vx::btn::ok);
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD3"), 57);
    EXPECT_TRUE(viewers().isEmpty());

    // F6 with 25: the newest 25 (positions 32..56), marked modified, marks untouched.
    ui.input_answers = {QString("25")};
    f.Prenoszznamov1->trigger();
    ASSERT_EQ(ui.prompts, QStringList{"Zadajte počet najnovších záznamov"});
    ASSERT_EQ(viewers().size(), 1);
    vx::TEditForm* v = viewers()[0];
    QStringList stored, shown{"Download: SKLAD3"};
    for (const RingRecord& r : ring(32, 57)) {
        stored << file_line(r);
        shown << view_line(r);
    }
    ASSERT_EQ(stored.size(), 25);
    EXPECT_EQ(viewer_lines(v), shown);
    EXPECT_TRUE(v->is_modified());
    EXPECT_EQ(file_lines("SKLAD3"), stored);
    EXPECT_EQ(f.stbar0->text(), QString("25 záznamov"));
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD3"), 57);
    // Blocks at 32, 42 and 52: the address frames carry the low byte of
    // position x 8 + 1024: 1280, 1360, 1440 -> 0, 80, 160.
    QList<int> low;
    for (const auto& fr : sim.frames(11))
        low << fr.param;
    EXPECT_EQ(low, (QList<int>{0, 80, 160}));

    // More than the ring holds (3901 positions): the maximum message.
    ui.input_answers = {QString("3902")};
    f.Prenoszznamov1->trigger();
    EXPECT_EQ(ui.messages.back().text, QString("Maximálne je možné preniesť3901záznamov"));
    EXPECT_EQ(viewers().size(), 1);
    EXPECT_TRUE(f.poll_running());
}

TEST_F(DownloadWindowTest, ViewerClosedDuringTheTransferLeavesTheFileComplete)
{
    vx::MarkStore().write_mark("SKLAD4", 10);
    TForm1& f = start(logger("SKLAD4", 57));
    ASSERT_TRUE(connected("SKLAD4", "57"));

    // After the first block the user closes the viewer (No to saving) and
    // the window is destroyed at once.
    QPointer<vx::TEditForm> closed;
    ui.after_block = [&] {
        if (closed || viewers().isEmpty()) return;
        closed = viewers()[0];
        f.win_close->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    f.act_newrecords->trigger();
    ui.after_block = nullptr;

    EXPECT_TRUE(closed.isNull());
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());
    QStringList stored;
    for (const RingRecord& r : ring(10, 57))
        stored << file_line(r);
    EXPECT_EQ(file_lines("SKLAD4"), stored);
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD4"), 57);
    EXPECT_EQ(f.stbar0->text(), QString("47 záznamov"));
    EXPECT_TRUE(f.poll_running());
}

TEST_F(DownloadWindowTest, LostLoggerGivesNoDownload)
{
    vx::MarkStore().write_mark("SKLAD5", 0);
    TForm1& f = start(logger("SKLAD5", 5));
    ASSERT_TRUE(connected("SKLAD5", "5"));
    sim.kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.panptr->text().isEmpty(); }, 8000));
    const auto before = ui.messages.size();
    f.act_newrecords->trigger();
    ui.input_answers = {QString("3")};
    f.Prenoszznamov1->trigger();
    ASSERT_EQ(ui.messages.size(), before + 2);
    EXPECT_EQ(ui.messages[before].text, QString("Pripojte prístroj/zapisovač na COMport"));
    EXPECT_EQ(ui.messages[before + 1].text, QString("Pripojte prístroj/zapisovač na COMport"));
    EXPECT_TRUE(ui.prompts.isEmpty());
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_TRUE(f.stbar0->text().isEmpty());
}

} // namespace

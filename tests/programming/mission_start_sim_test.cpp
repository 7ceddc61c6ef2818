// Mission start against the simulated logger, one simulator session per
// model family: the frames the logger received, in order, against the
// sequence written out from the protocol; what the logger holds afterwards;
// the record file header and the download mark.
#include "common/test_state.h"
#include "programming/mission_start.h"
#include "records/marks.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using vx::MissionForm;
using vx::MissionStart;
using vxtest::Frames;

namespace
{

// Recording on, rollover, interval, gradient code, the status request (the
// logger clock) and the start delay.
Frames head(int rollover, int period, int code, int delay = 0)
{
    return {{37, 1}, {36, rollover}, {34, period}, {35, code}, {10, 2}, {29, delay % 256}, {30, delay / 256}};
}

// The name padded with blanks to 16 characters, commands 48..63.
Frames name_frames(const QString& name)
{
    Frames f;
    const QByteArray bytes = name.toLatin1().leftJustified(16, ' ');
    for (int i = 0; i < 16; ++i)
        f.append({48 + i, static_cast<unsigned char>(bytes[i])});
    return f;
}

Frames standard(const QString& name, int period = 30, int code = 0)
{
    return head(1, period, code) + name_frames(name) + Frames{{27, 0}, {28, 0}}; // the pointer cleared
}

struct Start {
    const char* label;
    QString name;
    std::function<void(MissionForm&)> form = {};
    Frames expected = {};
    MissionStart::Result result = MissionStart::Result::started;
    QString state = {};                      // settings the logger holds afterwards
    QStringList shown = {"---- POZOR ----"}; // starts of the messages shown, in order
    QStringList header = {};                 // the record file's lines, when given
    int mark = 0;                            // the download mark after a start
};

struct Family {
    QStringList args;
    std::vector<Start> runs;
};

const QString confirm = "---- POZOR ----"; // the confirmation before anything is sent
const QString not_confirmed = "Zapisovač nepotvrdil príjatie";

} // namespace

TEST(MissionStartSim, EveryFamilyAgainstTheSimulator)
{
    using R = MissionStart::Result;
    const std::vector<Family> families = {
        {{"--type", "85", "--clock", "2024-03-01T10:00:05"},
         {{.label = "15 characters, one blank; 0.5 gives 8",
           .name = "SKLAD123456789A",
           .form = [](MissionForm& f) { f.gradient = "0,5"; },
           .expected = standard("SKLAD123456789A", 30, 8),
           .state = "name=SKLAD123456789A interval=30 gradient=8 mission=1 pointer=0 delay=0",
           .header = {"SKLAD123456789A", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 30",
                      "GRADIENT: 0,5"}},
          {.label = "20 gives 255; one minute ahead sends 0; pointer shown, not cleared",
           .name = "B85",
           .form =
               [](MissionForm& f) {
                   f.gradient = "20", f.rollover = false, f.delayed = true, f.start_date = QDate(2024, 3, 1);
                   f.start_time = QTime(10, 1), f.clear_pointer = false, f.pointer_shown = true,
                   f.pointer = "123";
               },
           .expected = head(0, 30, 255) + name_frames("B85"),
           .state = "rollover=0 gradient=255 delay=0",
           .mark = 123},
          {.label = "start equal to the logger's time",
           .name = "C85",
           .form =
               [](MissionForm& f) {
                   f.delayed = true, f.start_date = QDate(2024, 3, 1), f.start_time = QTime(10, 0);
               },
           .expected = {{37, 1}, {36, 1}, {34, 30}, {35, 0}, {10, 2}},
           .result = R::failed,
           .shown = {confirm, "Nie je možné tak odložiť štart", not_confirmed}}}},
        {{"--type", "99"},
         {{.label = "psychrometer",
           .name = "PSY",
           .form = [](MissionForm& f) { f.gradient = "1.5", f.period = "15"; },
           .expected = standard("PSY", 15, 24)}}},
        {{"--type", "101", "--drop-acks-of", "39:7"},
         {{.label = "lower -10 sends 246, unchecked upper 127; a dropped limit ack does not count",
           .name = "L101",
           .form = [](MissionForm& f) { f.lower = -10; },
           .expected = standard("L101") + Frames(7, {39, 246}) + Frames{{40, 127}},
           .state = "limit_lo=246 limit_hi=127"}}},
        {{"--type", "102"},
         {{.label = "flow meter header",
           .name = "P102",
           .form = [](MissionForm& f) { f.flow_state = "150", f.flow_constant = "2,5"; },
           .expected = standard("P102"),
           .header = {"P102", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 30", "STATUS: \t150",
                      "CONST: \t2,5"}}}},
        {{"--type", "103", "--coef", "-250,0.25,0"},
         {{.label = "raw-count limits: 0 degrees is raw 1001",
           .name = "L103",
           .form = [](MissionForm& f) { f.gradient = "1", f.lower = 0; },
           .expected = standard("L103", 30, 16) + Frames{{77, 233}, {78, 3}, {79, 0}, {80, 0}},
           .state = "limit_lo=1001 limit_hi=0"}}},
        {{"--type", "105"}, {{.label = "two temperatures", .name = "T105", .expected = standard("T105")}}},
        {{"--type", "107"},
         {{.label = "quantity threshold above 255 refused before anything is sent",
           .name = "Q107",
           .form = [](MissionForm& f) { f.flow_gradient = "300"; },
           .result = R::refused,
           .shown = {"Pri zmene množstva: povolený rozsah 0..255"}},
          {.label = "quantity threshold 12",
           .name = "Q107",
           .form = [](MissionForm& f) { f.flow_gradient = "12", f.gradient = "12"; },
           .expected = standard("Q107", 30, 12),
           .state = "gradient=12"}}},
        {{"--type", "108"}, {{.label = "printer recorder", .name = "W108", .expected = standard("W108")}}},
        {{"--type", "111", "--coef", "0,0,0,1"},
         {{.label = "A1 = 0 never leaves the search: 255",
           .name = "V111",
           .form = [](MissionForm& f) { f.gradient = "1"; },
           .expected = standard("V111", 30, 255)}}},
        {{"--type", "129", "--coef", "0,0.0009765625,0"},
         {{.label = "lower 10 is raw 10241; an upper limit no count reaches sends 0 0",
           .name = "L129",
           .form = [](MissionForm& f) { f.lower = 10, f.upper = 120; },
           .expected = standard("L129") + Frames{{77, 1}, {78, 40}, {79, 0}, {80, 0}}}}},
        {{"--type", "130", "--coef", "0,0.25,0", "--drop-acks-of", "39:7"},
         {{.label = "averaging flag not acknowledged: failure exit, nothing written",
           .name = "B130",
           .form = [](MissionForm& f) { f.belsa_gradient = "10"; },
           .expected = standard("B130", 30, 2) + Frames(7, {39, 1}),
           .result = R::failed,
           .shown = {confirm, not_confirmed}},
          {.label = "averaging flag acknowledged",
           .name = "B130",
           .form = [](MissionForm& f) { f.belsa_gradient = "10", f.belsa_total = "500"; },
           .expected = standard("B130", 30, 2) + Frames{{39, 1}},
           .state = "averaging=1 gradient=2",
           .header = {"B130", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 30", "STATUS: \t500",
                      "GRADIENT: 0"}}}},
        {{"--type", "131"},
         {{.label = "both limits unchecked: 127 127",
           .name = "D131",
           .expected = standard("D131") + Frames{{40, 127}, {41, 127}},
           .state = "limit_lo=127 limit_hi=127"}}},
        {{"--type", "132", "--coef", "0,0.25,0"},
         {{.label = "61 refused before anything is sent",
           .name = "H132",
           .form = [](MissionForm& f) { f.period = "61"; },
           .result = R::refused,
           .shown = {"Interval zaznamu nemoze byt >60"}},
          {.label = "15 with seconds sends 75",
           .name = "H132",
           .form = [](MissionForm& f) { f.period = "15", f.synchro = true, f.gradient = "5"; },
           .expected = standard("H132", 75, 1),
           .state = "interval=75"}}},
        {{"--type", "133"}, {{.label = "pressure logger", .name = "S133", .expected = standard("S133")}}},
        {{"--type", "55", "--coef", "-50,0.5,0"},
         {{.label = "old format: calibration read, period, quotient 4",
           .name = "1234",
           .form = [](MissionForm& f) { f.period = "10", f.gradient = "2"; },
           .expected = {{11, 159}, {32, 10}, {100, 0}, {101, 4}},
           .result = R::sent_old,
           .state = "interval=10 gradient=4",
           .header = {"1234", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 10", "GRADIENT: 2"}}}},
    };

    for (const Family& family : families) {
        SCOPED_TRACE(family.args.join(' ').toStdString());
        vxtest::TestState s;
        ASSERT_TRUE(s.start_logger(family.args)) << s.sim.errors().toStdString();
        s.ui.default_answer = vx::mr::yes;
        for (const Start& run : family.runs) {
            SCOPED_TRACE(run.label);
            MissionForm f;
            f.name = run.name;
            f.remark = "pozn";
            if (run.form) run.form(f);
            const QString path = s.home.path("Log/" + run.name + ".txt");
            const int mark_before = vx::MarkStore().read_mark(run.name);
            s.ui.messages.clear();
            const int before = s.frame_count();

            MissionStart flow(s.g, {[&] { return s.read_status(); }, nullptr});
            EXPECT_EQ(flow.run(f), run.result);
            EXPECT_EQ(s.frames_from(before, static_cast<int>(run.expected.size())), run.expected);
            const auto state = s.sim.state();
            for (const QString& kv : run.state.split(' ', Qt::SkipEmptyParts))
                EXPECT_EQ(state.value(kv.section('=', 0, 0)), kv.section('=', 1)) << kv.toStdString();
            ASSERT_EQ(s.ui.messages.size(), run.shown.size());
            for (int i = 0; i < run.shown.size(); ++i)
                EXPECT_TRUE(s.ui.messages[i].first.startsWith(run.shown[i]))
                    << s.ui.messages[i].first.toStdString();
            EXPECT_FALSE(s.ui.progress_visible);

            const bool took = run.result == R::started || run.result == R::sent_old;
            EXPECT_EQ(QFile::exists(path), took);
            EXPECT_EQ(vx::MarkStore().read_mark(run.name), run.result == R::started ? run.mark : mark_before);
            EXPECT_TRUE(run.result != R::failed || s.ui.messages.last().first.contains("Neúspešný krok"));
            if (!run.header.isEmpty()) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                EXPECT_EQ(QString::fromLatin1(file.readAll()), run.header.join("\r\n") + "\r\n");
            }
        }
    }
}

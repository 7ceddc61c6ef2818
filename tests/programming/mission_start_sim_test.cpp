// Mission start: the plan checked once per model, then the start against the
// simulated logger, one simulator session per model family: the frames the
// logger received, in order, against the sequence written out from the
// protocol; what the logger holds afterwards; the record file header and
// the download mark, written only for a mission read back as sent.
#include "common/test_state.h"
#include "logger/download.h"
#include "logger/fake_host.h"
#include "programming/mission_start.h"
#include "records/file_digest.h"
#include "records/marks.h"
#include "records/record_source.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using vx::MissionForm;
using vx::MissionStart;
using vxtest::Frames;

namespace
{

// The status read before anything changes, recording on, rollover, interval,
// gradient code, the logger clock again and the start delay.
Frames head(int rollover, int period, int code, int delay = 0)
{
    return {{10, 2},    {37, 1}, {36, rollover},    {34, period},
            {35, code}, {10, 2}, {29, delay % 256}, {30, delay / 256}};
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

const Frames read_back = {{10, 2}, {13, 1}}; // status and name, compared with what was sent
const Frames refresh = {{10, 2}};            // after a failure: what the logger holds now

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
    int mark = 0;                            // the download mark once the logger took the pointer
    bool mark_kept = false;                  // the logger never took a pointer: the mark stays
    QString partly = {};                     // what the failure says was written only in part
    QString interrupt_at = {};               // the progress line at which the user cancels
    QString reason = "not acknowledged";     // how a failed run's audit entry ends
};

const QString confirm = "---- POZOR ----"; // the confirmation before anything is sent
const QString not_confirmed = "Zapisovač nepotvrdil príjatie";
const QString differs = "Zapisovač potvrdil misiu, ale po prečítaní sa líši";

} // namespace

TEST(MissionPlan, CheckedOnceForTheModel)
{
    vx::Language lang;
    lang.build_language_tables(QString(), "SLOVAK");
    struct Case {
        int type;
        std::function<void(MissionForm&)> fill;
        QString refusal;                                       // start of the message, or empty
        std::function<bool(const vx::MissionPlan&)> plan = {}; // what the plan holds
    };
    const std::vector<Case> cases = {
        {0, [](MissionForm& f) { f.name = "  "; }, "Zadajte názov misie"},
        {0,
         [](MissionForm& f) { f.name = " ZIMA "; },
         {},
         [](const vx::MissionPlan& p) { return p.name == "ZIMA" && p.name_bytes == "ZIMA            "; }},
        // Texts for the logger and the file's header: one line of code page 1250.
        {0, [](MissionForm& f) { f.name = QString::fromUtf8("A\xff"); }, "Názov misie: znak U+FFFD sa nedá"},
        {0, [](MissionForm& f) { f.name = "E\x1b[31mF"; }, "Názov misie: riadiaci znak U+001B"},
        {130, [](MissionForm& f) { f.belsa_total = "5 m3"; }, "Počiatočný stav čítača: '5 m3' nie je číslo"},
        {130,
         [](MissionForm& f) { f.belsa_gradient = "1,5"; },
         {},
         [](const vx::MissionPlan& p) { return p.gradient == 1.5 && p.gradient_text == "1,5"; }},
        // The logger's wall clock, also inside the hour the computer's clock skips in spring.
        {0,
         [](MissionForm& f) {
             f.delayed = true, f.start_date = QDate(2024, 3, 31), f.start_time = QTime(2, 30);
         },
         {},
         [](const vx::MissionPlan& p) { return p.start && p.start->time() == QTime(2, 30); }},
        {0, [](MissionForm& f) { f.gradient = "-0,5"; }, "Nedovolená hodnota <Zápis pri zmene>"},
        {132, [](MissionForm& f) { f.period = "61"; }, "Interval zaznamu nemoze byt >60"},
        {132,
         [](MissionForm& f) { f.period = "15", f.synchro = true; },
         {},
         [](const vx::MissionPlan& p) { return p.interval == 75; }},
        {107, [](MissionForm& f) { f.flow_gradient = "300"; }, "Pri zmene množstva: povolený rozsah 0..255"},
        {55, [](MissionForm& f) { f.period = "100"; }, "Nespravny údaj: Perióda"},
        {101, [](MissionForm& f) { f.lower = -129; }, "Spodná hranica: povolený rozsah -128..126"},
        {85, [](MissionForm& f) { f.lower = 5; }, {}, [](const vx::MissionPlan& p) { return !p.lower; }},
    };
    for (const Case& c : cases) {
        MissionForm f;
        f.name = "M";
        c.fill(f);
        SCOPED_TRACE(testing::Message()
                     << c.type << " " << f.name.toStdString() << " " << f.period.toStdString());
        QString refusal;
        const auto plan = vx::parse_mission(f, static_cast<std::uint16_t>(c.type), lang, &refusal);
        EXPECT_EQ(plan.has_value(), c.refusal.isEmpty());
        EXPECT_TRUE(refusal.startsWith(c.refusal)) << refusal.toStdString();
        EXPECT_TRUE(!plan || !c.plan || c.plan(*plan));
    }
}

TEST(MissionStartSim, EveryFamilyAgainstTheSimulator)
{
    using R = MissionStart::Result;
    // Per family: the simulator's arguments and the starts, in order.
    const std::vector<std::pair<QStringList, std::vector<Start>>> families = {
        {{"--type", "85", "--clock", "2024-03-01T10:00:05"},
         {{.label = "15 characters, one blank; 0.5 gives 8",
           .name = "SKLAD123456789A",
           .form = [](MissionForm& f) { f.gradient = "0,5"; },
           .expected = standard("SKLAD123456789A", 30, 8) + read_back,
           .state = "name=SKLAD123456789A interval=30 gradient=8 mission=1 pointer=0 delay=0",
           .header = {"SKLAD123456789A", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 30",
                      "GRADIENT: 0,5"}},
          {.label = "20 gives 255; two minutes ahead sends 1; pointer shown, not cleared",
           .name = "B85",
           .form =
               [](MissionForm& f) {
                   f.gradient = "20", f.rollover = false, f.delayed = true, f.start_date = QDate(2024, 3, 1);
                   f.start_time = QTime(10, 2), f.clear_pointer = false, f.pointer_shown = true,
                   f.pointer = "123";
               },
           .expected = head(0, 30, 255, 1) + name_frames("B85") + read_back,
           .state = "rollover=0 gradient=255 delay=1",
           .mark = 123},
          {.label = "a minute ahead, which the clock may reach mid-way: refused before anything changes",
           .name = "C85",
           .form =
               [](MissionForm& f) {
                   f.delayed = true, f.start_date = QDate(2024, 3, 1), f.start_time = QTime(10, 1);
               },
           .expected = {{10, 2}},
           .result = R::refused,
           .state = "name=B85",
           .shown = {confirm, "Nie je možné tak odložiť štart"},
           .mark_kept = true},
          {.label = "cancelled while the name goes out: said as an interruption, not as the logger's fault",
           .name = "X85",
           .expected = head(1, 30, 0) + Frames{{48, 'X'}},
           .result = R::failed,
           .shown = {confirm, "Štart misie bol prerušený"},
           .mark_kept = true,
           .interrupt_at = "Odosielam názov misie...",
           .reason = "cancelled"}}},
        {{"--type", "85", "--drop-acks-of", "30"},
         {{.label = "delay high byte never acknowledged: the low byte alone is said",
           .name = "D85",
           .expected = head(1, 30, 0).mid(0, 7) + Frames(7, {30, 0}) + refresh,
           .result = R::failed,
           .shown = {confirm, not_confirmed},
           .mark_kept = true,
           .partly = "Odklad štartu je zapísaný len čiastočne"}}},
        {{"--type", "85", "--drop-acks-of", "28"},
         {{.label = "pointer high byte never acknowledged: the low byte alone is said",
           .name = "P85",
           .expected = head(1, 30, 0) + name_frames("P85") + Frames{{27, 0}} + Frames(7, {28, 0}) + refresh,
           .result = R::failed,
           .shown = {confirm, not_confirmed},
           .mark_kept = true,
           .partly = "Ukazovateľ záznamov je nastavený len čiastočne"}}},
        {{"--type", "85", "--ignore", "34"},
         {{.label = "interval acknowledged but not taken: not programmed",
           .name = "I85",
           .expected = standard("I85") + read_back,
           .result = R::failed,
           .state = "interval=10",
           .shown = {confirm, differs},
           .reason = "the logger reads back otherwise"}}},
        {{"--type", "101", "--drop-acks-of", "39:7"},
         {{.label = "an unacknowledged limit fails the start",
           .name = "L101",
           .form = [](MissionForm& f) { f.lower = -10; },
           .expected = standard("L101") + Frames(7, {39, 246}) + refresh,
           .result = R::failed,
           .state = "limit_lo=246", // taken, its acknowledgement lost
           .shown = {confirm, not_confirmed}}}},
        {{"--type", "102"},
         {{.label = "flow meter header",
           .name = "P102",
           .form = [](MissionForm& f) { f.flow_state = "150", f.flow_constant = "2,5"; },
           .expected = standard("P102") + read_back,
           .header = {"P102", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 30", "STATUS: \t150",
                      "CONST: \t2,5"}}}},
        {{"--type", "103", "--coef", "-250,0.25,0"},
         {{.label = "raw-count limits: 0 degrees is raw 1001",
           .name = "L103",
           .form = [](MissionForm& f) { f.gradient = "1", f.lower = 0; },
           .expected = standard("L103", 30, 16) + Frames{{77, 233}, {78, 3}, {79, 0}, {80, 0}} + read_back,
           .state = "limit_lo=1001 limit_hi=0"}}},
        {{"--type", "107"},
         {{.label = "quantity threshold 12",
           .name = "Q107",
           .form = [](MissionForm& f) { f.flow_gradient = "12", f.gradient = "12"; },
           .expected = standard("Q107", 30, 12) + read_back,
           .state = "gradient=12"}}},
        {{"--type", "129", "--coef", "0,0.0009765625,0"},
         {{.label = "an upper limit no count reaches is refused, not sent as none",
           .name = "L129",
           .form = [](MissionForm& f) { f.lower = 10, f.upper = 120; },
           .expected = {{10, 2}},
           .result = R::refused,
           .shown = {confirm, "Horná hranica 120 leží mimo rozsahu snímača"},
           .mark_kept = true},
          {.label = "lower 10 is raw 10241",
           .name = "L129",
           .form = [](MissionForm& f) { f.lower = 10; },
           .expected = standard("L129") + Frames{{77, 1}, {78, 40}, {79, 0}, {80, 0}} + read_back}}},
        {{"--type", "130", "--coef", "0,0.25,0", "--drop-acks-of", "39:7"},
         {{.label = "averaging flag not acknowledged: the cleared pointer is said, nothing written",
           .name = "B130",
           .form = [](MissionForm& f) { f.belsa_gradient = "10"; },
           .expected = standard("B130", 30, 2) + Frames(7, {39, 1}) + refresh,
           .result = R::failed,
           .shown = {confirm, not_confirmed}},
          {.label = "averaging flag acknowledged; the header names the change that was sent",
           .name = "B130",
           .form = [](MissionForm& f) { f.belsa_gradient = "10", f.belsa_total = "500"; },
           .expected = standard("B130", 30, 2) + Frames{{39, 1}} + read_back,
           .state = "averaging=1 gradient=2",
           .header = {"B130", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 30", "STATUS: \t500",
                      "GRADIENT: 10"}}}},
        {{"--type", "131"},
         {{.label = "both limits unchecked: 127 127",
           .name = "D131",
           .expected = standard("D131") + Frames{{40, 127}, {41, 127}} + read_back,
           .state = "limit_lo=127 limit_hi=127"}}},
        {{"--type", "132", "--coef", "0,0.25,0"},
         {{.label = "15 with seconds sends 75",
           .name = "H132",
           .form = [](MissionForm& f) { f.period = "15", f.synchro = true, f.gradient = "5"; },
           .expected = standard("H132", 75, 1) + read_back,
           .state = "interval=75"}}},
        {{"--type", "55", "--coef", "-50,0.5,0"},
         {{.label = "old format, asked only what it answers: calibration read, period, quotient 4, read back",
           .name = "1234",
           .form = [](MissionForm& f) { f.period = "10", f.gradient = "2"; },
           .expected = {{10, 160}, {11, 159}, {32, 10}, {100, 0}, {101, 4}, {10, 160}},
           .result = R::sent_old,
           .state = "interval=10 gradient=4",
           .header = {"1234", "Remark: pozn", "START: 1.3.2024 12:34", "PERIOD: 10", "GRADIENT: 2"},
           .mark_kept = true}}},
    };

    for (const auto& [args, runs] : families) {
        SCOPED_TRACE(args.join(' ').toStdString());
        vxtest::TestState s;
        ASSERT_TRUE(s.start_logger(args)) << s.sim.errors().toStdString();
        s.ui.default_answer = vx::mr::yes;
        for (const Start& run : runs) {
            SCOPED_TRACE(run.label);
            MissionForm f;
            f.name = run.name;
            f.remark = "pozn";
            if (run.form) run.form(f);
            const QString name = run.name.trimmed();
            const QString path = s.home.path("Log/" + name + ".txt");
            const int mark_before = vx::MarkStore().read_mark(name);
            s.ui.messages.clear();
            s.ui.on_call = [&](const QString& call) {
                if (!run.interrupt_at.isEmpty() && call == "progress_log:" + run.interrupt_at)
                    s.g.link.abort();
            };
            const int before = s.frame_count(), entries_before = int(s.audit_from(0).size());

            QString refusal, status = "-";
            const auto plan = vx::parse_mission(f, s.g.ident.type_code, s.g.lang, &refusal);
            ASSERT_TRUE(plan) << refusal.toStdString();
            MissionStart flow(
                s.g, {[&] { return s.read_status(); }, nullptr, [&](const QString& t) { status = t; }});
            EXPECT_EQ(flow.run(*plan), run.result);
            EXPECT_EQ(s.frames_from(before, static_cast<int>(run.expected.size())), run.expected);
            for (const QString& kv : run.state.split(' ', Qt::SkipEmptyParts))
                EXPECT_EQ(s.sim.state().value(kv.section('=', 0, 0)), kv.section('=', 1)) << kv.toStdString();
            QStringList shown; // the start of each message, as long as the one expected
            for (const auto& m : s.ui.messages)
                shown << m.first.left(run.shown.value(shown.size()).size());
            EXPECT_EQ(shown, run.shown);
            EXPECT_FALSE(s.ui.progress_visible);

            const bool took = run.result == R::started || run.result == R::sent_old;
            // A run that sent anything leaves one entry with its plan; a file begun has its digest noted.
            const QStringList audit = s.audit_from(entries_before);
            const QJsonObject details = s.last_audit().value("details").toObject();
            EXPECT_EQ(audit.size(), run.result == R::refused ? 0 : 1);
            if (run.result != R::refused) {
                EXPECT_TRUE(took ? audit.value(0) == "mission-start ok"
                                 : audit.value(0).startsWith("mission-start failed") &&
                                       audit.value(0).endsWith(run.reason))
                    << audit.value(0).toStdString();
                EXPECT_EQ(details.value("plan").toObject().value("name").toString(), name);
                EXPECT_EQ(details.value("digest").toString(), took ? vx::file_sha256(path) : QString());
            }
            EXPECT_EQ(status, took ? "Overené" : "");
            EXPECT_EQ(QFile::exists(path), took);
            // The mark follows a pointer the logger took, whatever came after.
            EXPECT_EQ(vx::MarkStore().read_mark(name), run.mark_kept ? mark_before : run.mark);
            // A mission that took has its file's digest, and notes from when on the logger stamps in its
            // clock's offset.
            if (took) {
                EXPECT_TRUE(
                    vx::digest_text(vx::digest_status(path)).startsWith("unchanged since mission-start"));
                EXPECT_EQ(vx::RecordSourceStore().clock_notes(name + ".txt").value(0).since,
                          s.g.now().toUTC());
            }
            if (run.result == R::failed && run.shown.last() == not_confirmed && !s.ui.messages.isEmpty()) {
                const QString text = s.ui.messages.last().first;
                EXPECT_TRUE(text.contains("Neúspešný krok") &&
                            text.contains("Zapisovač prevzal: záznam zapnutý") && text.contains(run.partly))
                    << text.toStdString();
                EXPECT_EQ(details.value("taken").toArray().first().toString(), "záznam zapnutý");
                // A pointer the logger took before the start failed is said, with the mark that follows it.
                EXPECT_EQ(text.contains("Ukazovateľ záznamov zapisovača je 0; značka prenosu misie " + name),
                          !run.mark_kept);
            }
            if (!run.header.isEmpty()) {
                EXPECT_EQ(s.home.read("Log/" + name + ".txt"), (run.header.join("\r\n") + "\r\n").toLatin1());
            }
        }
    }
}

TEST(MissionStartSim, RecordsNotDownloadedAreOfferedFirstAndEnterNeverErases)
{
    vxtest::TestState s;
    ASSERT_TRUE(s.start_logger({"--type", "85", "--name", "STARA", "--fill", "25"}));
    s.g.status.mission_name = "STARA";
    vx::MarkStore().write_mark("STARA", 20); // five records not fetched yet
    s.home.write("Log/NOVA.txt", "NOVA\r\n");
    vxtest::FakeHost host;
    host.pointer = "25";
    vx::Download download(s.g, host);
    MissionForm form;
    form.name = "NOVA";
    const auto plan = vx::parse_mission(form, 85, s.g.lang, nullptr);
    using vx::mr::no, vx::mr::yes;
    // No to the download, then Enter: the warning counts them; Enter throughout: fetched first.
    for (const auto& [answers, counted, mark] : {std::tuple{std::deque{no, no}, true, 20}, {{}, false, 25}}) {
        s.ui.messages.clear();
        s.ui.default_results.clear();
        s.ui.message_answers = answers;
        const int before = s.frame_count();
        MissionStart flow(s.g, {[&] { return s.read_status(); }, {}, {}, [&] { download.new_records(); }});
        EXPECT_EQ(flow.run(*plan), MissionStart::Result::declined);
        QStringList firsts;
        for (const auto& m : s.ui.messages)
            firsts << m.first.section('\n', 0, 0).trimmed();
        EXPECT_EQ(firsts,
                  (QStringList{"Databáza s týmto názvom misie už existuje",
                               "V zapisovači sú záznamy misie STARA, ktoré ešte neboli prenesené do tohto "
                               "PC (počet: 5).",
                               "---- POZOR ----"}));
        EXPECT_EQ(s.ui.messages.last().first.contains("(počet: 5)"), counted);
        EXPECT_EQ(s.ui.default_results,
                  (QList<int>{no, yes, no})); // keep the file, fetch first, do not erase
        EXPECT_EQ(vx::MarkStore().read_mark("STARA"), mark);
        for (const vxtest::SimFrame& frame : s.sim.frames().mid(before))
            EXPECT_TRUE(frame.cmd >= 11 && frame.cmd <= 13) << frame.cmd; // reads only
    }
}

// Setup: the fields checked once against what they showed, then the sends
// against the simulated logger, one simulator session per model: the frames
// the logger received, in order, against the sequence written out from the
// protocol (the status read before and after every send), what the logger
// holds afterwards, and what the user is told.
#include "common/test_state.h"
#include "programming/calibration_transfer.h"
#include "programming/device_setup.h"
#include "records/marks.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using vx::DeviceSettings;
using vx::DeviceSetup;
using vx::SetupForm;
using vxtest::Frames;

namespace
{

// A send between the status read before it and the one after it.
Frames read_around(const Frames& f)
{
    return Frames{{10, 160}} + f + Frames{{10, 160}};
}

// Memory cell: select, then store.
Frames cell(int address, int value)
{
    return {{16, address}, {17, value}};
}

// A coefficient text: begin, the characters, the closing zero, store as index.
Frames text(const QByteArray& chars, int index)
{
    Frames f{{195, 52}};
    for (char c : chars + '\0')
        f.append({196, c});
    return f << QPair{197, index};
}

struct Send {
    const char* label;
    QString audit = {};   // the start of the send's audit entry; empty: it leaves none
    QString changes = {}; // of the entry, each "name:before>after" (or "name>after")
    std::function<void(DeviceSettings&)> fill = {};
    Frames expected = {};
    QString state = {};
    QStringList shown = {}; // starts of the messages shown, in order
    DeviceSetup::Result result = DeviceSetup::Result::verified;
    std::function<void(vx::Global&, DeviceSetup&)> action = {}; // instead of the device send
    QString partly = {}; // what the last message says was written only in part
};

// 0, 1.0, 0 as single-precision bytes, least significant first.
const Frames analog_0_1_0 = {{64, 0},    {65, 0},    {66, 0}, {67, 0}, {68, 0}, {69, 0},
                             {70, 0x80}, {71, 0x3F}, {72, 0}, {73, 0}, {74, 0}, {75, 0}};
// 0.5 (0x3F000000) and 2.0 (0x40000000) as the first two of them.
const Frames analog_half_2 = {{64, 0}, {65, 0}, {66, 0}, {67, 0x3F}, {68, 0}, {69, 0}, {70, 0}, {71, 0x40}};
const QString not_confirmed = "Nepotvrdil, opakujte";

} // namespace

TEST(DeviceSettingsParse, OnlyWhatChangedIsTyped)
{
    struct Case {
        int type;
        std::function<void(SetupForm&)> change; // applied to the form after it was shown
        QString refusal;                        // start of the message, or empty
        std::function<bool(const DeviceSettings&)> settings = {};
        bool tip = false;
    };
    const std::vector<Case> cases = {
        {85, [](SetupForm&) {}, {}, [](const DeviceSettings& s) { return !s.offset1 && !s.battery_low; }},
        {85,
         [](SetupForm& f) { f.temp_offset = "7,9"; },
         {},
         [](const DeviceSettings& s) { return s.offset1 == 7.9; }},
        {85, [](SetupForm& f) { f.temp_offset = "8,0"; }, "Nesprávny údaj posunu teploty", {}, true},
        {95, [](SetupForm& f) { f.battery_low = "300"; }, "BATLO border: povolený rozsah 0..255"},
        {107, [](SetupForm& f) { f.flow_a = "70000"; }, "Konštanta A: povolený rozsah 0..65535"},
        {106, [](SetupForm& f) { f.temp20 = "-10"; }, "!CHYBA! Teplota pre 20mA nemoze byt mensia"},
        {88,
         [](SetupForm& f) { f.coef[1] = "1,5"; },
         {},
         [](const DeviceSettings& s) { return !s.coef[0] && s.coef[1] == 1.5f && !s.coef[2]; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        SetupForm shown;
        shown.temp_offset = "  0,2";
        shown.coef = {"-250", "0,25", "0"};
        shown.temp4 = "-10", shown.temp20 = "50";
        SetupForm form = shown;
        c.change(form);
        QString refusal;
        bool tip = false;
        const auto s = vx::parse_device_settings(static_cast<std::uint16_t>(c.type), form, shown,
                                                 vx::Language{}, &refusal, &tip);
        EXPECT_EQ(s.has_value(), c.refusal.isEmpty());
        EXPECT_TRUE(refusal.startsWith(c.refusal)) << refusal.toStdString();
        EXPECT_EQ(tip, c.tip);
        EXPECT_TRUE(!s || !c.settings || c.settings(*s));
    }
}

TEST(DeviceSetupSim, EveryModelAgainstTheSimulator)
{
    using R = DeviceSetup::Result;
    // Per model: the simulator's arguments and the sends, in order.
    const std::vector<std::pair<QStringList, std::vector<Send>>> models = {
        {{"--type", "85", "--drop-acks-of", "38:7"},
         {{.label = "offset not acknowledged: seven frames, the step said",
           .audit = "setup-send failed: step",
           .changes = "offset1:0>7.875",
           .fill = [](DeviceSettings& s) { s.offset1 = 7.9; },
           .expected = read_around(Frames(7, {38, 126})),
           .shown = {not_confirmed},
           .result = R::failed},
          {.label = "-0.5 is 136; new battery",
           .audit = "setup-send ok",
           .changes = "offset1>-0.5 battery_replaced:null>true",
           .fill = [](DeviceSettings& s) { s.offset1 = -0.5, s.new_battery = true; },
           .expected = read_around({{38, 136}, {31, 20}}),
           .state = "corr1=136 battery_replaced=1"},
          {.label = "another logger on the port: a new battery goes nowhere",
           .expected = {{10, 160}},
           .shown = {"Pripojený je iný zapisovač"},
           .action =
               [](vx::Global& g, DeviceSetup& d) {
                   DeviceSettings s;
                   s.type = 85, s.new_battery = true;
                   d.send(s, g.status.serial + 1);
               }},
          {.label = "Vymazať: the PC's pointer follows the logger's, nothing is sent",
           .shown = {"Údaje sa v prístroji nevymažú", "Vykonané"},
           .action =
               [](vx::Global& g, DeviceSetup& d) {
                   g.status.mission_name = "ALIGN";
                   const QList<int>& defaults = static_cast<vxtest::FakeUi*>(g.ui)->default_results;
                   const auto asked = defaults.size();
                   d.align_pointer();
                   EXPECT_EQ(vx::MarkStore().read_mark("ALIGN"), 25); // the simulator's pointer
                   EXPECT_EQ(defaults.value(asked), vx::mr::no);      // Enter leaves the records new
               }}}},
        {{"--type", "85", "--corr1", "5", "--drop-acks-of", "31"},
         {{.label = "battery replaced never acknowledged: said; the untouched offset went back as held",
           .audit = "setup-send failed",
           .changes = "offset1:0.3125>0.3125 battery_replaced>true",
           .fill = [](DeviceSettings& s) { s.new_battery = true; },
           .expected = read_around(Frames{{38, 5}} + Frames(7, {31, 20})),
           .state = "corr1=5 battery_replaced=7",
           .shown = {not_confirmed},
           .result = R::failed}}},
        {{"--type", "85", "--ignore", "38"},
         {{.label = "an offset acknowledged but not taken reads back otherwise",
           .audit = "setup-send failed: the logger reads back otherwise",
           .fill = [](DeviceSettings& s) { s.offset1 = 1; },
           .expected = read_around({{38, 16}}),
           .state = "corr1=0",
           .shown = {"Zapisovač potvrdil nastavenia, ale po prečítaní sa líši"},
           .result = R::differs}}},
        {{"--type", "86", "--coef", "0.5,1,0", "--drop-acks-of", "70:7"},
         {{.label = "a coefficient block cut short is said; the window keeps the logger's coefficients",
           .audit = "calibration-send failed",
           .changes = "a1:1>2",
           .fill = [](DeviceSettings& s) { s.coef[1] = 2; },
           .expected = read_around(Frames{{38, 0}} + analog_half_2.mid(0, 6) + Frames(7, {70, 0})),
           .state = "coef=0.5,1,0,0",
           .shown = {not_confirmed},
           .result = R::failed},
          {.label = "A1 typed, A0 and A2 as the logger holds them, check byte 43",
           .audit = "calibration-send ok",
           .changes = "a0:0.5>0.5 a1:1>2 a2:0>0",
           .fill = [](DeviceSettings& s) { s.coef[1] = 2; },
           .expected = read_around(Frames{{38, 0}} + analog_half_2 +
                                   Frames{{72, 0}, {73, 0}, {74, 0}, {75, 0}, {76, 43}}),
           .state = "coef=0.5,2,0,0"},
          {.label = "coefficient texts, each as typed",
           .audit = "calibration-send ok",
           .changes = "lcd_a0>1.5 lcd_a2>-0,25",
           .expected = text("1.5", 0) + text("2", 1) + text("-0,25", 2) + Frames{{198, 1}},
           .state = "text0=1.5 text1=2 text2=-0,25 text_series_ends=1",
           .action =
               [](vx::Global& g, DeviceSetup&) {
                   vx::send_analog_text_block(g, {"1.5", "2", "-0,25"});
               }}}},
        {{"--type", "86", "--drop-acks-of", "196:7"},
         {{.label = "a coefficient text cut short is said",
           .audit = "calibration-send failed: step \"SEND LCD A0\": not acknowledged",
           .expected = Frames{{195, 52}} + Frames(7, {196, '1'}),
           .shown = {"ERROR send command"},
           .action =
               [](vx::Global& g, DeviceSetup&) {
                   vx::send_analog_text_block(g, {"1.5", "2", "-0,25"});
               },
           .partly = "LCD A0 je zapísaná len čiastočne"}}},
        {{"--type", "106", "--drop-acks-of", "17:7"},
         {{.label = "a memory cell not acknowledged is said",
           .audit = "calibration-send failed",
           .changes = "battery_low:null>200 cell32>184",
           .fill =
               [](DeviceSettings& s) {
                   s.battery_low = 200, s.cal_words = {3000, 160};
               },
           .expected = read_around(Frames{{38, 0}, {14, 200}, {16, 32}} + Frames(7, {17, 184})),
           .shown = {not_confirmed},
           .result = R::failed}}},
        {{"--type", "107", "--coef", "1000,5,7", "--drop-acks-of", "66:7"},
         {{.label = "flow constants cut short are said",
           .audit = "calibration-send failed",
           .changes = "flow_b:5>6",
           .fill = [](DeviceSettings& s) { s.flow[1] = 6; },
           .expected = read_around(Frames{{64, 0xE8}, {65, 0x03}} + Frames(7, {66, 6})),
           .shown = {not_confirmed},
           .result = R::failed,
           .partly = "Konštanty sú zapísané len čiastočne (2 z 6 bajtov)"}}},
        {{"--type", "95", "--corr1", "5"},
         {{.label = "only battery-low and measuring time changed: the offset byte goes back as held",
           .audit = "setup-send ok",
           .changes = "offset1:0.3125>0.3125 battery_low:null>180 measure_length>30",
           .fill = [](DeviceSettings& s) { s.battery_low = 180, s.measure_length = 30; },
           .expected = read_around({{38, 5}, {14, 180}, {15, 30}}),
           .state = "corr1=5 battery_low=180 measure_length=30"}}},
        {{"--type", "99", "--corr2", "133"},
         {{.label = "psychrometer: the dry offset typed, the wet one as held",
           .audit = "setup-send ok",
           .changes = "offset_dry:0>1 offset_wet:-0.3125>-0.3125",
           .expected = read_around({{38, 16}, {39, 133}}),
           .state = "corr1=16 corr2=133",
           .shown = {"Posuny teploty odoslane uspesne"},
           .action = [](vx::Global& g,
                        DeviceSetup& d) { d.send_psychro_offsets({.dry = 1, .wet = {}}, g.status.serial); }},
          {.label = "dry sensor identification",
           .audit = "setup-send ok",
           .expected = {{15, 0}},
           .shown = {"Pripojte na prístroj len suchý snímac teploty", "Identifikacia sucheho snimaca"},
           .action = [](vx::Global&, DeviceSetup& d) { d.identify_sensor(false); }}}},
        {{"--type", "105"},
         {{.label = "two offsets, no float coefficients",
           .audit = "setup-send ok",
           .changes = "offset1:0>0.5 offset2:0>-1",
           .fill = [](DeviceSettings& s) { s.offset1 = 0.5, s.offset2 = -1, s.battery_low = 190; },
           .expected = read_around({{38, 8}, {39, 144}, {14, 190}}),
           .state = "corr1=8 corr2=144 battery_low=190"}}},
        {{"--type", "106"},
         {{.label = "humidity model memory cells, each read back",
           .audit = "calibration-send ok",
           .changes = "cell37>134 cell44>50",
           .fill =
               [](DeviceSettings& s) {
                   s.battery_low = 200, s.cal_words = {3000, 160}, s.humidity_offset = -3, s.celsius = true;
                   s.pwm[0] = 100, s.temp4 = -10, s.temp20 = 50;
               },
           .expected = read_around(Frames{{38, 0}, {14, 200}} + cell(32, 184) + cell(33, 11) + cell(34, 160) +
                                   cell(35, 0) + cell(37, 134) + cell(38, 1) + cell(39, 100) + cell(43, 137) +
                                   cell(44, 50)),
           .state = "mem32=184 mem33=11 mem37=134 mem38=1 mem39=100 mem43=137 mem44=50"}}},
        {{"--type", "107", "--coef", "1000,5,7"},
         {{.label = "B typed; A 1000 is 0xE8 0x03; a conversion type outside 0..2 goes back as held",
           .audit = "calibration-send ok",
           .changes = "flow_a:1000>1000 flow_b:5>6 flow_conversion:7>7",
           .fill = [](DeviceSettings& s) { s.flow[1] = 6; },
           .expected = read_around({{64, 0xE8}, {65, 0x03}, {66, 6}, {67, 0}, {68, 7}, {69, 178}, {14, 200}}),
           .state = "coef=1000,6,7,0 battery_low=200"}}},
        {{"--type", "108", "--corr2", "5"},
         {{.label = "T1 once; T2 untouched goes back as held",
           .audit = "setup-send ok",
           .changes = "offset2:0.3125>0.3125",
           .fill = [](DeviceSettings& s) { s.offset1 = 1; },
           .expected = read_around({{38, 16}, {39, 5}}),
           .state = "corr1=16 corr2=5"}}},
        {{"--type", "111"},
         {{.label = "wind coefficients and battery-low 200",
           .audit = "calibration-send ok",
           .changes = "a3>1",
           .fill =
               [](DeviceSettings& s) {
                   s.coef = {0, 1, 0, 1};
               },
           .expected = read_around(analog_0_1_0 +
                                   Frames{{76, 0}, {77, 0}, {78, 0x80}, {79, 0x3F}, {80, 44}, {14, 200}}),
           .state = "coef=0,1,0,1 battery_low=200"},
          {.label = "one wind text",
           .audit = "calibration-send ok",
           .changes = "lcd_a1>1.5",
           .expected = text("1.5", 1),
           .state = "text1=1.5 text_series_ends=0",
           .action = [](vx::Global& g, DeviceSetup&) { vx::send_wind_text(g, 1, "1.5"); }},
          {.label = "a wind text with a line break: refused before any frame",
           .shown = {"A0: '1\n5' nie je číslo, ktoré zapisovač prijme"},
           .action = [](vx::Global& g, DeviceSetup&) { vx::send_wind_text(g, 0, "1\n5"); }}}},
        {{"--type", "131", "--corr2", "80"},
         {{.label = "T2 shown as the logger holds it (byte 23), the value an untouched T2 sends",
           .action =
               [](vx::Global& g, DeviceSetup&) {
                   EXPECT_EQ(vx::setup_values(131, g.coef, g.status).t2.trimmed(), "5,0");
               }},
          {.label = "T1 once",
           .audit = "setup-send ok",
           .fill = [](DeviceSettings& s) { s.offset1 = 1, s.offset2 = 2; },
           .expected = read_around({{38, 16}, {39, 32}}),
           .state = "corr1=16 corr2=32"}}},
        {{"--type", "133"},
         {{.label = "calibration process and pressure -5",
           .audit = "setup-send ok",
           .changes = "cell36:null>1 cell38>133",
           .fill = [](DeviceSettings& s) { s.pressure = -5, s.calib_process = true; },
           .expected = read_around(Frames{{38, 0}} + cell(36, 1) + cell(38, 133)),
           .state = "mem36=1 mem38=133"}}},
    };

    for (const auto& [args, sends] : models) {
        SCOPED_TRACE(args.join(' ').toStdString());
        vxtest::TestState s;
        ASSERT_TRUE(s.start_logger(args)) << s.sim.errors().toStdString();
        s.ui.default_answer = vx::mr::yes;
        QString status = "-";
        DeviceSetup setup(s.g, {[&](const QString& t) { status = t; }});
        for (const Send& send : sends) {
            SCOPED_TRACE(send.label);
            DeviceSettings settings;
            settings.type = s.g.ident.type_code;
            if (send.fill) send.fill(settings);
            s.ui.messages.clear();
            status = "-";
            const vx::Coefficients coef_before = s.g.coef;
            const int before = s.frame_count(), entries_before = int(s.audit_from(0).size());
            if (send.action)
                send.action(s.g, setup);
            else
                EXPECT_EQ(setup.send(settings, s.g.status.serial).result, send.result);
            EXPECT_EQ(s.frames_from(before, static_cast<int>(send.expected.size())), send.expected);
            for (const QString& kv : send.state.split(' ', Qt::SkipEmptyParts))
                EXPECT_EQ(s.sim.state().value(kv.section('=', 0, 0)), kv.section('=', 1)) << kv.toStdString();
            QStringList shown; // the start of each message, as long as the one expected
            for (const auto& m : s.ui.messages)
                shown << m.first.left(send.shown.value(shown.size()).size());
            EXPECT_EQ(shown, send.shown);
            EXPECT_FALSE(s.ui.progress_visible);
            EXPECT_TRUE(s.ui.messages.isEmpty() || s.ui.messages.last().first.contains(send.partly))
                << s.ui.messages.last().first.toStdString();
            // Every send that went out leaves its entry: each value before and after, a failure its step.
            const QStringList audit = s.audit_from(entries_before);
            EXPECT_EQ(audit.size(), send.audit.isEmpty() ? 0 : 1);
            EXPECT_TRUE(audit.value(0).startsWith(send.audit)) << audit.value(0).toStdString();
            const QJsonObject changes =
                s.last_audit().value("details").toObject().value("changes").toObject();
            const auto js = [](const QJsonValue& v) {
                return v.isNull() ? "null" : v.toVariant().toString();
            };
            for (const QString& c : send.changes.split(' ', Qt::SkipEmptyParts)) {
                const QString name = c.section(QRegularExpression("[:>]"), 0, 0);
                const QJsonObject v = changes.value(name).toObject();
                EXPECT_EQ(name + (c.contains(':') ? ':' + js(v["before"]) : "") + '>' + js(v["after"]), c);
            }
            if (send.action) continue;
            EXPECT_EQ(status, send.result == R::verified ? "Overené" : "");
            // What the windows show comes from the logger, not from what was typed.
            if (send.result == R::failed && !s.ui.messages.isEmpty()) {
                EXPECT_EQ(s.g.coef.a1, coef_before.a1);
                EXPECT_TRUE(s.ui.messages.last().first.contains("Neúspešný krok"));
            }
        }
    }
}

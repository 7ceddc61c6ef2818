// Setup sends against the simulated logger, one simulator session per
// model: the frames the logger received, in order, against the sequence
// written out from the protocol, and what the logger holds afterwards.
#include "common/test_state.h"
#include "programming/calibration_transfer.h"
#include "programming/device_setup.h"
#include "records/marks.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using vx::DeviceSetup;
using vx::SetupChanges;
using vx::SetupForm;
using vxtest::Frames;

namespace
{

// Memory cell: select, then store.
Frames cell(int address, int value)
{
    return {{16, address}, {17, value}};
}

// A coefficient text: begin, the characters, the closing zero, store as index.
Frames text(const QByteArray& chars, int index)
{
    Frames f{{195, 52}};
    for (char c : chars)
        f.append({196, c});
    f.append({196, 0});
    f.append({197, index});
    return f;
}

struct Send {
    const char* label;
    std::function<void(SetupForm&, SetupChanges&)> fill = {};
    Frames expected = {};
    QString state = {};
    QStringList shown = {};                                     // starts of the messages shown, in order
    std::function<void(vx::Global&, DeviceSetup&)> action = {}; // instead of the device send
};

struct Model {
    QStringList args;
    std::vector<Send> sends;
};

// 0, 1.0, 0 as single-precision bytes, least significant first.
const Frames analog_0_1_0 = {{64, 0},    {65, 0},    {66, 0}, {67, 0}, {68, 0}, {69, 0},
                             {70, 0x80}, {71, 0x3F}, {72, 0}, {73, 0}, {74, 0}, {75, 0}};

} // namespace

TEST(DeviceSetupSim, EveryModelAgainstTheSimulator)
{
    const std::vector<Model> models = {
        {{"--type", "85", "--drop-acks-of", "38:7"},
         {{.label = "offset not acknowledged: seven frames, then the message",
           .fill = [](SetupForm& f, SetupChanges&) { f.temp_offset = "7,9"; },
           .expected = Frames(7, {38, 126}),
           .shown = {"Nepotvrdil, opakujte"}},
          {.label = "7.9 is 126",
           .fill = [](SetupForm& f, SetupChanges&) { f.temp_offset = "7,9"; },
           .expected = {{38, 126}},
           .state = "corr1=126"},
          {.label = "-0.5 is 136; new battery",
           .fill = [](SetupForm& f, SetupChanges&) { f.temp_offset = "-0.5", f.new_battery = true; },
           .expected = {{38, 136}, {31, 20}},
           .state = "corr1=136 battery_replaced=1"},
          {.label = "8.0 refused",
           .fill = [](SetupForm& f, SetupChanges&) { f.temp_offset = "8,0"; },
           .shown = {"Nesprávny údaj posunu teploty"}},
          {.label = "Vymazať: the PC's pointer follows the logger's, nothing is sent",
           .shown = {"Údaje sa v prístroji nevymažú", "Vykonané"},
           .action =
               [](vx::Global& g, DeviceSetup& d) {
                   g.status.mission_name = "ALIGN";
                   d.align_pointer();
                   EXPECT_EQ(vx::MarkStore().read_mark("ALIGN"), 25); // the simulator's pointer
               }}}},
        {{"--type", "86"},
         {{.label = "coefficients 0, 1, 0 and their check byte 0xEB",
           .fill =
               [](SetupForm& f, SetupChanges& c) {
                   f.coef = {"0", "1", "0"}, c.coef = true;
               },
           .expected = Frames{{38, 0}} + analog_0_1_0 + Frames{{76, 0xEB}},
           .state = "coef=0,1,0,0"},
          {.label = "coefficient texts",
           .expected = text("1.5", 0) + text("2", 1) + text("-0.25", 2) + Frames{{198, 1}},
           .state = "text0=1.5 text1=2 text2=-0.25 text_series_ends=1",
           .action =
               [](vx::Global& g, DeviceSetup&) {
                   vx::send_analog_text_block(g, {"1.5", "2", "-0,25"});
               }}}},
        {{"--type", "95"},
         {{.label = "battery-low above a byte refused",
           .fill = [](SetupForm& f, SetupChanges& c) { f.battery_low = "300", c.battery_low = true; },
           .shown = {"BATLO border: povolený rozsah 0..255"}},
          {.label = "battery-low and measuring time",
           .fill =
               [](SetupForm& f, SetupChanges& c) {
                   f.battery_low = "180", f.measure_length = "30", c.battery_low = c.measure_length = true;
               },
           .expected = {{38, 0}, {14, 180}, {15, 30}},
           .state = "battery_low=180 measure_length=30"}}},
        {{"--type", "99"},
         {{.label = "psychrometer offsets",
           .expected = {{38, 16}, {39, 144}},
           .state = "corr1=16 corr2=144",
           .shown = {"Posuny teploty odoslane uspesne"},
           .action = [](vx::Global&, DeviceSetup& d) { d.send_psychro_offsets("1", "-1"); }},
          {.label = "dry sensor identification",
           .expected = {{15, 0}},
           .shown = {"Pripojte na prístroj len suchý snímac teploty", "Identifikacia sucheho snimaca"},
           .action = [](vx::Global&, DeviceSetup& d) { d.identify_sensor(false); }}}},
        {{"--type", "105"},
         {{.label = "two offsets, no float coefficients",
           .fill =
               [](SetupForm& f, SetupChanges& c) {
                   f.coef = {"0,5", "-1", "7"}, f.battery_low = "190", c.coef = c.battery_low = true;
               },
           .expected = {{38, 8}, {39, 144}, {14, 190}},
           .state = "corr1=8 corr2=144 battery_low=190"}}},
        {{"--type", "106"},
         {{.label = "20 mA temperature not above the 4 mA one refused",
           .fill = [](SetupForm& f, SetupChanges& c) { f.temp4 = f.temp20 = "50", c.output_temps = true; },
           .shown = {"!CHYBA! Teplota pre 20mA nemoze byt mensia alebo rovnaka ako pre 4mA"}},
          {.label = "humidity model memory cells",
           .fill =
               [](SetupForm& f, SetupChanges& c) {
                   f.battery_low = "200", f.coef = {"3000", "160", ""}, f.humidity_offset = "-3",
                   f.pwm[0] = "100", f.temp4 = "-10", f.temp20 = "50",
                   c.battery_low = c.coef = c.humidity_offset = c.notation = c.output_temps = true,
                   c.pwm[0] = true;
               },
           .expected = Frames{{38, 0}, {14, 200}} + cell(32, 184) + cell(33, 11) + cell(34, 160) +
                       cell(35, 0) + cell(37, 134) + cell(38, 1) + cell(39, 100) + cell(43, 137) +
                       cell(44, 50),
           .state = "mem32=184 mem33=11 mem37=134 mem38=1 mem39=100 mem43=137 mem44=50"}}},
        {{"--type", "107"},
         {{.label = "flow constant above 65535 refused",
           .fill = [](SetupForm& f, SetupChanges&) { f.flow_a = "70000", f.flow_b = "1"; },
           .shown = {"Konštanta A: povolený rozsah 0..65535"}},
          {.label = "A 1000 is 0xE8 0x03; battery-low 200",
           .fill = [](SetupForm& f,
                      SetupChanges&) { f.flow_a = "1000", f.flow_b = "5", f.flow_conversion = 1; },
           .expected = {{64, 0xE8}, {65, 0x03}, {66, 5}, {67, 0}, {68, 1}, {69, 185}, {14, 200}},
           .state = "coef=1000,5,1,0 battery_low=200"}}},
        {{"--type", "108"},
         {{.label = "T1 twice",
           .fill = [](SetupForm& f, SetupChanges&) { f.temp_offset = "1", f.offset2 = "-0,5"; },
           .expected = {{38, 16}, {39, 136}, {38, 16}},
           .state = "corr1=16 corr2=136"}}},
        {{"--type", "111"},
         {{.label = "wind coefficients and battery-low 200",
           .fill =
               [](SetupForm& f, SetupChanges&) {
                   f.wind = {"0", "1", "0", "1"};
               },
           .expected = analog_0_1_0 + Frames{{76, 0}, {77, 0}, {78, 0x80}, {79, 0x3F}, {80, 44}, {14, 200}},
           .state = "coef=0,1,0,1 battery_low=200"},
          {.label = "one wind text",
           .expected = text("1.5", 1),
           .state = "text1=1.5 text_series_ends=0",
           .action = [](vx::Global& g, DeviceSetup&) { vx::send_coefficient_text(g, 1, "1.5"); }}}},
        {{"--type", "131"},
         {{.label = "T1 twice",
           .fill = [](SetupForm& f, SetupChanges&) { f.temp_offset = "1", f.offset2 = "2"; },
           .expected = {{38, 16}, {39, 32}, {38, 16}},
           .state = "corr1=16 corr2=32"}}},
        {{"--type", "133"},
         {{.label = "calibration process and pressure -5",
           .fill =
               [](SetupForm& f, SetupChanges& c) {
                   f.pressure = "-5", f.calib_process = true, c.pressure = c.calib_process = true;
               },
           .expected = Frames{{38, 0}} + cell(36, 1) + cell(38, 133),
           .state = "mem36=1 mem38=133"}}},
    };

    for (const Model& model : models) {
        SCOPED_TRACE(model.args.join(' ').toStdString());
        vxtest::TestState s;
        ASSERT_TRUE(s.start_logger(model.args)) << s.sim.errors().toStdString();
        s.ui.default_answer = vx::mr::yes;
        DeviceSetup setup(s.g);
        for (const Send& send : model.sends) {
            SCOPED_TRACE(send.label);
            SetupForm form;
            SetupChanges changes;
            if (send.fill) send.fill(form, changes);
            s.ui.messages.clear();
            const int before = s.frame_count();
            if (send.action)
                send.action(s.g, setup);
            else
                setup.send(form, changes);
            EXPECT_EQ(s.frames_from(before, static_cast<int>(send.expected.size())), send.expected);
            const auto state = s.sim.state();
            for (const QString& kv : send.state.split(' ', Qt::SkipEmptyParts))
                EXPECT_EQ(state.value(kv.section('=', 0, 0)), kv.section('=', 1)) << kv.toStdString();
            ASSERT_EQ(s.ui.messages.size(), send.shown.size());
            for (int i = 0; i < send.shown.size(); ++i)
                EXPECT_TRUE(s.ui.messages[i].first.startsWith(send.shown[i]))
                    << s.ui.messages[i].first.toStdString();
            EXPECT_FALSE(s.ui.progress_visible);
            if (s.g.ident.type_code == 107 || s.g.ident.type_code == 111) {
                EXPECT_EQ(form.battery_low, send.expected.isEmpty() || send.action ? "215" : "200");
            }
        }
    }
}

// Identification, status decoding and live readings against replies built
// byte by byte.
#include "base/calibration.h"
#include "base/language.h"
#include "common/temp_home.h"
#include "logger/catalogue.h"
#include "logger/live.h"
#include "logger/status.h"
#include "reply_builder.h"

#include <QColor>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

using namespace vx;
using vxtest::old_status;
using vxtest::Reply;
using vxtest::status_reply;

namespace
{

DecodeInputs inputs(bool diagnostic = false, const Calibration* calib = nullptr)
{
    DecodeInputs in;
    in.pc_date = QDate(2024, 3, 1);
    in.diagnostic = diagnostic;
    if (calib) in.load_calibration = [calib](std::uint16_t) { return calib; };
    return in;
}

StatusDecode decode(const Reply& r, const DecodeInputs& in = inputs())
{
    return identify_and_decode(r.view(), in);
}

// A reply with a valid float block a0, a1, a2 at from.
Reply with_block(int type, std::size_t length, std::size_t from, float a0, float a1, float a2)
{
    return status_reply(type, length).f32(from, a0).f32(from + 4, a1).f32(from + 8, a2).close_block(from, 13);
}

// One model: the reply it sends and what the window must show.
struct ModelCase {
    int type;
    std::size_t length;
    int ring;
    int battery_raw;
    const char* battery;
    std::optional<QColor> colour; // nullopt: the colour is left alone
    const char* value1;           // pantemp
    const char* value2;           // panhumi; nullptr: not set by this model
    std::function<void(Reply&)> fill;
};

std::vector<ModelCase> model_cases()
{
    const QColor red(Qt::red), white(Qt::white);
    const std::optional<QColor> none;
    const auto temperature_humidity = [](Reply& r) {
        r.u16(26, 400).u16(29, 500).f32(31, 0).f32(35, 0.1f).f32(39, 0).close_block(31, 13);
    };
    return {
        {85, 29, 5201, 10, "50%", none, " 25,0", nullptr, [](Reply& r) { r.u16(26, 400); }},
        {86, 42, 5201, 20, "100%", none, "   50,0", nullptr,
         [](Reply& r) { r.u16(26, 1000).f32(29, -50).f32(33, 0.1f).f32(37, 0).close_block(29, 13); }},
        {87, 44, 3901, 21, "Error", none, " 25,0", " 50,0", temperature_humidity},
        {88, 44, 8001, 0, "0%", none, " 25,0", " 50,0", temperature_humidity},
        {89, 29, 10401, 10, "50%", none, " -0,9", nullptr, [](Reply& r) { r.u16(26, 0xFFF0); }},
        {90, 29, 5201, 10, "50%", none, "1234", nullptr, [](Reply& r) { r.u16(26, 1234); }},
        {92, 44, 3901, 10, "50%", none, " 25,0", " 50,0", temperature_humidity},
        {93, 29, 10401, 10, "50%", none, "12345", nullptr,
         [](Reply& r) { r.u8(26, 0).u8(27, 0x39).u8(28, 0x30); }},
        {94, 42, 10401, 10, "50%", none, "ERROR", nullptr,
         [](Reply& r) { r.u16(26, 0).f32(29, 0).f32(33, 1).f32(37, 0).close_block(29, 13); }},
        // An invalid block (its sum is not 0xAA) shows the raw number.
        {95, 42, 10401, 100, "7,4 V", none, " 1000,0", nullptr,
         [](Reply& r) { r.u16(26, 1000).f32(29, 5).f32(33, 5).f32(37, 5).u8(41, 1); }},
        {96, 29, 10401, 170, "2,7 V", red, "-3970,9", nullptr, [](Reply& r) { r.u16(26, 2000); }},
        {97, 42, 10401, 150, "5,1 V", none, "Error", nullptr,
         [](Reply& r) { r.u16(26, 500).u8(28, 1).f32(29, 0).f32(33, 1).f32(37, 0).close_block(29, 13); }},
        {99, 32, 8001, 100, "4,9 V", white, " 20,0", " 99,9", [](Reply& r) { r.u16(26, 320).u16(29, 320); }},
        {100, 44, 8000, 100, "4,9 V", white, " 25,0", " 30,0",
         [](Reply& r) { r.u16(26, 400).u16(29, 1500).u16(31, 2000).u16(33, 160).u8(35, 0).u8(36, 20); }},
        {101, 42, 10401, 170, "2,7 V", red, "  250,0", nullptr,
         [](Reply& r) { r.u16(26, 250).f32(29, 0).f32(33, 1).f32(37, 0).close_block(29, 13); }},
        {102, 29, 10401, 10, "50%", none, "77", nullptr, [](Reply& r) { r.u16(26, 77); }},
        {103, 46, 10401, 10, "50%", none, "   50,0", nullptr,
         [](Reply& r) { r.u16(26, 100).f32(29, 0).f32(33, 0.5f).f32(37, 0).close_block(29, 13); }},
        {105, 44, 8000, 100, "4,9 V", white, " 25,0", " -1,1",
         [](Reply& r) { r.u16(26, 400).u16(29, 0xFFF0).u8(23, 0x83); }},
        {106, 44, 8000, 100, "4,9 V", white, " 25,0", " 30,0",
         [](Reply& r) { r.u16(26, 400).u16(29, 1430).u16(31, 2000).u16(33, 160).u8(35, 0).u8(36, 20); }},
        {107, 29, 10401, 100, "4,9 V", white, "4321", nullptr, [](Reply& r) { r.u16(26, 4321); }},
        // The corrections are not added for this model.
        {108, 45, 8000, 200, "7,3 V", white, " 25,0", "Error",
         [](Reply& r) { r.u8(22, 0x10).u16(26, 400).u16(29, 400).u8(31, 1); }},
        {111, 47, 8000, 200, "3,2 V", red, " 10,0", " 90,0",
         [](Reply& r) {
             r.u16(26, 20).u16(28, 45).f32(30, 0).f32(34, 0.5f).f32(38, 0).f32(42, 2).close_block(30, 17);
         }},
        {128, 29, 10401, 90, "3,0 V", white, " 25,2", nullptr, [](Reply& r) { r.u8(22, 0x03).u16(26, 400); }},
        {129, 46, 10401, 60, "2,0 V", red, "   50,0", nullptr,
         [](Reply& r) { r.u16(26, 100).f32(29, 0).f32(33, 0.5f).f32(37, 0).close_block(29, 13); }},
        {130, 47, 8001, 60, "2,0 V", red, "  12,34", "     55",
         [](Reply& r) {
             r.u16(26, 1234).u16(28, 55).u8(23, 1).f32(30, 0).f32(34, 0.01f).f32(38, 0).close_block(30, 13);
         }},
        {131, 32, 8000, 105, "99 %", none, " 25,00", " -0,94",
         [](Reply& r) { r.u16(26, 400).u16(28, 0xFFF0); }},
        {132, 47, 8001, 10, nullptr, none, "  50,00", nullptr,
         [](Reply& r) { r.u16(26, 500).f32(30, 0).f32(34, 0.1f).f32(38, 0).close_block(30, 13); }},
        {133, 45, 7000, 100, "4,9 V", white, " 25,0", " 30,0",
         [](Reply& r) {
             r.u16(26, 400).u16(29, 1500).u8(31, 113).u16(32, 2000).u16(34, 160).u8(36, 0).u8(37, 20);
         }},
    };
}

} // namespace

TEST(StatusDecode, EveryModelShowsItsStatusAndReadings)
{
    std::set<int> covered{55};
    for (const ModelCase& c : model_cases()) {
        SCOPED_TRACE(c.type);
        covered.insert(c.type);
        Reply r = status_reply(c.type, c.length);
        r.u8(15, c.battery_raw);
        if (c.type == 132) r.u8(18, 61);
        c.fill(r);
        const StatusDecode d = decode(r);
        ASSERT_TRUE(d.recognised);
        EXPECT_EQ(
            std::tuple(int(d.ident.type_code), d.ident.ring_size, d.status.serial, d.status.record_pointer),
            std::tuple(c.type, c.ring, 4321, 100));
        EXPECT_EQ(d.view.window_title, "VORLAN 4321");
        EXPECT_EQ(d.view.PanTime.text, "1.3.2024 10:45:30");
        EXPECT_EQ(d.view.panbat.visible, c.battery != nullptr);
        EXPECT_EQ(d.view.panbat.text, c.battery ? std::optional<QString>(c.battery) : std::nullopt);
        EXPECT_EQ(d.view.panbat.color, c.colour);
        EXPECT_EQ(d.view.pantemp.text, c.value1);
        EXPECT_EQ(d.view.panhumi.text, c.value2 ? std::optional<QString>(c.value2) : std::nullopt);
    }
    for (const ModelRow& row : all_models())
        EXPECT_TRUE(covered.count(row.type)) << "no case for type " << row.type;
}

TEST(StatusDecode, ReadingsAtTheirEdgesAndWithFlags)
{
    Calibration cal; // current 14 mA -> 2 x 14 + 1 = 29; limits of 103 through it, 121 clamped to 100
    cal.calib_active = true;
    cal.ValueName = "Tlak";
    cal.ValueFormat = "0.00";
    cal.CAL0 = 1;
    cal.CAL1 = 2;
    cal.MinValue = -100;
    cal.MaxValue = 100;
    using V = StatusView;
    const DecodeInputs plain = inputs(), diagnostic = inputs(true), calibrated = inputs(false, &cal);
    const struct {
        Reply reply;
        ControlView V::*control;
        std::optional<QString> text;      // nullopt: the panel keeps its text
        const DecodeInputs* in = nullptr; // the plain inputs when null
    } cases[] = {
        // At -40 and below the temperature panel keeps its text.
        {status_reply(87, 44).u16(26, 64895), &V::pantemp, {}},
        {status_reply(87, 44).u16(26, 64896), &V::pantemp, "-39,9"},
        // Humidity limited to 100 except in diagnostic mode.
        {with_block(87, 44, 31, 0, 0.5f, 0).u16(29, 300), &V::panhumi, "100,0"},
        {with_block(87, 44, 31, 0, 0.5f, 0).u16(29, 300), &V::panhumi, "150,0", &diagnostic},
        // Psychrometer: sensor errors; in diagnostic mode the wet temperature.
        {status_reply(99, 32).u16(26, 320).u8(28, 1), &V::pantemp, "ERROR"},
        {status_reply(99, 32).u16(26, 320).u16(29, 300).u8(31, 1), &V::panhumi, "ERROR"},
        {status_reply(99, 32).u16(26, 320).u16(29, 240).u8(23, 0x10), &V::panhumi, " 16,0", &diagnostic},
        {status_reply(100, 44).u16(26, 0), &V::PanTempFahren, " 32,0"},
        {status_reply(100, 44).u8(28, 1), &V::pantemp, "Error"},
        // 131: the error flag of value 1 is byte 30.
        {status_reply(131, 32).u16(26, 400).u8(22, 0x10).u8(30, 1), &V::pantemp, "Error"},
        {status_reply(93, 29).u8(26, 1).u8(27, 5), &V::pantemp, ""}, // no key attached
        // p(r) = r / 2: raw 0 is an error; the limit 498 -> 249 is below 250 and shown.
        {with_block(103, 46, 29, 0, 0.5f, 0).u16(26, 0), &V::pantemp, "Error"},
        {with_block(103, 46, 29, 0, 0.5f, 0).u16(42, 498).u16(44, 500), &V::panLo, " 249,0"},
        {with_block(129, 46, 29, -151, 1, 0).u16(42, 0).u16(44, 2), &V::PanHI, "-149,0"},
        // Thresholds: current loop plain, level |p(32) - p(0)|, calibrated |(2 x 4.16 + 1) - (2 x 4 + 1)|.
        {with_block(130, 47, 30, 4, 0.01f, 0).u8(19, 0), &V::PanGrad, "0.0"},
        {with_block(132, 47, 30, -10, 0.5f, 0).u8(19, 2), &V::PanGrad, " 16,0"},
        {with_block(130, 47, 30, 4, 0.01f, 0).u8(19, 1), &V::PanGrad, "  0,3", &calibrated},
        {with_block(130, 47, 30, 4, 0.01f, 0).u16(26, 1000), &V::pantemp, "29,00", &calibrated},
        {with_block(130, 47, 30, 4, 0.01f, 0), &V::LBLaktval, "Tlak", &calibrated},
        {with_block(103, 46, 29, 0, 1, 0).u16(42, 20).u16(44, 60), &V::PanHI, "100,00", &calibrated},
        {status_reply(101, 42).u8(23, 0xF6).u8(24, 127), &V::panLo, "-10"}, // a signed byte
        // Ring 5201: 5202 is still a position, 5203 is not.
        {status_reply(85, 29).u16(11, 5202), &V::panptr, "5202"},
        {status_reply(85, 29).u16(11, 5203), &V::panptr, "Error"},
        {status_reply(85, 29).u8(6, 60), &V::PanTime, "Error"},
        // The start delay in minutes from the logger's clock, up to 32767.
        {status_reply(85, 29).u16(13, 0), &V::PANdelay, ""},
        {status_reply(85, 29).u8(6, 0).u8(7, 0).u16(13, 1), &V::PANdelay, "1.3.2024 10:02"},
        {status_reply(85, 29).u8(6, 0).u8(7, 0).u16(13, 32767), &V::PANdelay, "24.3.2024 04:08"},
        {status_reply(85, 29).u16(13, 32768), &V::PANdelay, ""},
        // "Začala:" from 10:45:30 less pointer 100 x interval; none while the delay runs or on change.
        {status_reply(85, 29).u8(19, 0), &V::Panel3, "29.2.2024 18:05"},
        {status_reply(132, 47).u8(19, 0).u8(18, 75), &V::Panel3, "1.3.2024 10:20"},
        {status_reply(85, 29).u8(19, 0).u16(13, 5), &V::Panel3, ""},
        {status_reply(85, 29), &V::Panel3, ""},
        // The level logger's interval above 60 is in seconds.
        {status_reply(132, 47).u8(18, 60), &V::PanPeriod, "60"},
        {status_reply(132, 47).u8(18, 61), &V::LBLperiodunit, "sek"},
        {status_reply(85, 29).u8(18, 61), &V::PanPeriod, "61"},
        {status_reply(131, 32).u8(15, 104), &V::panbat, "100 %"},
        {status_reply(131, 32).u8(15, 140), &V::panbat, "0 %"},
        {status_reply(96, 29).u8(15, 100), &V::LBLbat, "Batéria: 100", &diagnostic},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ((decode(cases[i].reply, cases[i].in ? *cases[i].in : plain).view.*cases[i].control).text,
                  cases[i].text)
            << "case " << i;
}

TEST(StatusDecode, FlagsColoursAndVisibility)
{
    StatusDecode d = decode(status_reply(105, 44).u8(20, 0).u8(21, 1).u8(22, 0x83).u8(23, 0x03));
    EXPECT_EQ(d.view.CHKroll.checked, false);
    EXPECT_EQ(d.view.CHKmission.checked, true);
    EXPECT_FLOAT_EQ(d.status.corr1, -3.0f / 16);
    EXPECT_FLOAT_EQ(d.status.corr2, 3.0f / 16);
    // Only types 99, 105 and 108 carry a second correction; on the others a
    // value left by an earlier logger must not reach the records (131 adds it).
    DecodeInputs after_105 = inputs();
    after_105.status.corr2 = 3.0f / 16;
    for (auto [type, length] : {std::pair{85, 29}, {131, 32}})
        EXPECT_FLOAT_EQ(decode(status_reply(type, length).u8(23, 0x03), after_105).status.corr2, 0.0f);
    // 81 / 30 is 2.7 V exactly: not below 2.7, so white; 108: 192 gives 6.99 V (red), 193 7.02 V.
    const std::tuple<int, std::size_t, int, Qt::GlobalColor> colours[] = {
        {128, 29, 81, Qt::white}, {128, 29, 80, Qt::red}, {108, 45, 192, Qt::red}, {108, 45, 193, Qt::white}};
    for (auto [type, length, raw, colour] : colours)
        EXPECT_EQ(decode(status_reply(type, length).u8(15, raw)).view.panbat.color, QColor(colour))
            << type << raw;
    // An invalid clock is not compared and the last good one kept; an invalid pointer is -1.
    DecodeInputs in = inputs();
    in.status.logger_time = QDateTime(QDate(2024, 2, 1), QTime(8, 0));
    for (auto [at, value] : {std::pair{6, 60}, {7, 60}, {8, 24}}) {
        d = decode(status_reply(85, 29).u8(at, value), in);
        EXPECT_FALSE(d.clock_valid) << at;
        EXPECT_EQ(d.status.logger_time, in.status.logger_time) << at;
    }
    EXPECT_EQ(decode(status_reply(85, 29).u16(11, 5203)).status.record_pointer, -1);

    // 250 is no upper limit of 103 (p(r) = r / 2, raw 500); raw 0 is none at all, -150 neither.
    EXPECT_EQ(decode(with_block(103, 46, 29, 0, 0.5f, 0).u16(42, 498).u16(44, 500)).view.PanHI.visible,
              false);
    d = decode(with_block(129, 46, 29, -151, 1, 0).u16(42, 0).u16(44, 1));
    EXPECT_EQ(d.view.panLo.visible, false);
    EXPECT_EQ(d.view.PanHI.visible, false);
    EXPECT_EQ(decode(status_reply(101, 42).u8(23, 127).u8(24, 30)).view.panLo.visible, false);
    // The mission's limits as the summary takes them: 103's converted, raw 0 none; 101's upper byte only.
    d = decode(with_block(103, 46, 29, 0, 0.5f, 0).u16(42, 498).u16(44, 0));
    EXPECT_EQ(d.status.lower_limit, 249.0);
    EXPECT_EQ(d.status.upper_limit, std::nullopt);
    d = decode(status_reply(101, 42).u8(23, 5).u8(24, 0xF6));
    EXPECT_EQ(d.status.lower_limit, std::nullopt);
    EXPECT_EQ(d.status.upper_limit, -10.0);
}

TEST(StatusDecode, ModelAdaptationsAndTheirResetAndLanguageTexts)
{
    auto view_of = [](int type, std::size_t length) { return decode(status_reply(type, length)).view; };
    EXPECT_EQ(view_of(93, 29).tab_conditions_visible, false); // the key logger has no conditions
    EXPECT_EQ(view_of(107, 29).PanGrad.text, "16,0");         // plain quantity units, not 1/16
    // A model without adaptations puts the form defaults back.
    const StatusView v = view_of(85, 29);
    EXPECT_EQ(v.LBLunit1.visible, true);
    EXPECT_EQ(v.panIBname.visible, false);
    EXPECT_EQ(v.PanGrad.text, " 1,0");
    EXPECT_EQ(v.setup_calib_group_visible, false);

    // The language file's texts; without one the label keeps its caption instead of going blank.
    Language lang;
    DecodeInputs in = inputs();
    in.lang = &lang;
    EXPECT_EQ(decode(status_reply(85, 29), in).view.LBLaktval.text, "Teplota:");
    lang.table[10].label = "Temperature:";
    lang.table[106].mess = "Zelin EN";
    EXPECT_EQ(decode(status_reply(85, 29), in).view.LBLaktval.text, "Temperature:");
    EXPECT_EQ(find_model(88)->caption.resolve(&lang), "Zelin EN");
    EXPECT_EQ(find_model(89)->caption.resolve(&lang), "VORLAN Olvek"); // an empty text keeps the default

    // Every caption and hint the status sets comes back as the language file gave it.
    vxtest::TempHome home;
    home.write("vorlan.lng", "[EN]\r\nLABEL2=Battery:\r\nLABEL6=Humidity:\r\nLABEL11=deg C\r\n"
                             "LABEL24=minutes\r\nLABEL32=Low\r\nHINT19=Fahrenheit\r\nHINT30=On change\r\n");
    lang.build_language_tables(home.dir(), "EN");
    const StatusView e = decode(status_reply(85, 29), in).view;
    EXPECT_EQ(
        (QList<std::optional<QString>>{e.LBLbat.text, e.LBLhumi.text, e.LBLunit1.text, e.LBLperiodunit.text,
                                       e.LBLlo.text, e.PanTempFahren.hint, e.PanGrad.hint}),
        (QList<std::optional<QString>>{"Battery:", "Humidity:", "deg C", "minutes", "Low", "Fahrenheit",
                                       "On change"}));
}

TEST(Identification, ReplyLengthRulesBoundsAndTheBytesThatCompleteAReply)
{
    // type:length, with + when recognised; the last three need fields past the end of a shorter reply.
    for (const QString& c :
         QString("102:29+ 102:30 103:45 103:46+ 103:47 129:46+ 129:47 88:43 88:44+ 130:46 130:47+ "
                 "132:46 91:40 55:29 99:31 99:32+ 87:30")
             .split(' ')) {
        const int type = c.section(':', 0, 0).toInt();
        const StatusDecode d = decode(status_reply(type, std::size_t(c.section(':', 1).remove('+').toInt())));
        EXPECT_EQ(d.recognised, c.endsWith('+')) << c.toStdString();
        EXPECT_EQ(d.ident.type_code, type) << "the code read stays";
    }
    // Below 29 bytes nothing is recognised and the type code is 0.
    EXPECT_EQ(decode(Reply(27).u8(5, 85)).ident.type_code, 0);
    EXPECT_FALSE(decode(Reply(0)).recognised);
    // Models that name the bytes their readings need (100 and 106: 44, 133: 45)
    // leave the live panels alone when shorter.
    for (auto [type, length] : {std::pair{100, 43}, {106, 43}, {133, 44}}) {
        const StatusDecode d = decode(status_reply(type, std::size_t(length)));
        ASSERT_TRUE(d.recognised) << type;
        EXPECT_TRUE(d.view.PanTempFahren == ControlView{} && d.view.pantemp == ControlView{}) << type;
    }

    // A reply is complete at the last byte its model reads (type:length, echo included), not one before.
    for (const QString& c : QString("85:29 86:42 87:44 99:32 100:44 102:29 103:46 107:42 108:45 111:47 "
                                    "130:47 131:32 133:45")
                                .split(' ')) {
        const int type = c.section(':', 0, 0).toInt();
        const auto length = std::size_t(c.section(':', 1).toInt());
        EXPECT_FALSE(status_reply_complete(status_reply(type, length - 1).view())) << c.toStdString();
        EXPECT_TRUE(status_reply_complete(status_reply(type, length).view())) << c.toStdString();
    }
    EXPECT_FALSE(status_reply_complete(status_reply(91, 60).view())); // no row: its wait runs out
    EXPECT_TRUE(status_reply_complete(old_status(85, 0xC1, 300).view()));
    EXPECT_FALSE(status_reply_complete(old_status(85, 0xC1, 300).sum(5, 27, 27, 1).view()));
}

TEST(CoefficientBlocks, ValidInvalidFallbacksHumidityTrimAndKeptBytes)
{
    const struct {
        const char* what;
        int type;
        Reply reply;
        bool valid;
        float a0, a1, a2, a3;
    } cases[] = {
        {"polynomial", 86, with_block(86, 42, 29, 1.5f, 2, 0.25f), true, 1.5f, 2, 0.25f, 0},
        {"polynomial with a wrong sum: identity", 86, with_block(86, 42, 29, 1.5f, 2, 0.25f).u8(41, 1), false,
         0, 1, 0, 0},
        {"a block past the end of the reply", 87, status_reply(87, 40), false, 0, 1, 0, 0},
        {"wind", 111, status_reply(111, 47).f32(30, 1).f32(34, 2).f32(38, 3).f32(42, 4).close_block(30, 17),
         true, 1, 2, 3, 4},
        {"wind with a wrong sum", 111, status_reply(111, 47).f32(30, 1).f32(34, 2).f32(38, 3).f32(42, 4),
         false, 0, 1, 0, 1},
        {"flow", 107, status_reply(107, 42).u16(30, 300).u16(32, 7).u8(34, 5).close_block(29, 7), true, 300,
         7, 5, 0},
        {"flow with a wrong sum", 107, status_reply(107, 42).u16(30, 300).u16(32, 7).u8(34, 5), false, -1, -1,
         5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Coefficients k;
        k.a0 = 9;
        EXPECT_EQ(read_coefficients(c.reply.view(), c.type, k), c.valid);
        EXPECT_FLOAT_EQ(k.a0, c.a0);
        EXPECT_FLOAT_EQ(k.a1, c.a1);
        EXPECT_FLOAT_EQ(c.type == 107 && !c.valid ? c.a2 : k.a2, c.a2); // the flow fallback keeps a2
        EXPECT_FLOAT_EQ(c.type == 111 ? k.a3 : c.a3, c.a3);
    }

    // The humidity trim and the bytes kept for decoding.
    Coefficients c;
    Reply r = status_reply(106, 44).u16(31, 2000).u16(33, 160).u8(35, 100).u8(36, 200).u8(37, 7);
    r.u8(38, 1).u8(39, 2).u8(40, 3).u8(41, 4).u8(42, 130).u8(43, 5);
    ASSERT_TRUE(read_humidity_trim(r.view(), 106, c));
    EXPECT_FLOAT_EQ(c.F0, 2000);
    EXPECT_FLOAT_EQ(c.S, 160);
    EXPECT_FLOAT_EQ(c.K, 14);                                           // byte 36 >= 128: (128 - byte 35) / 2
    EXPECT_EQ(c.kept, (std::array<int, 8>{100, 7, 1, 2, 3, 4, -3, 5})); // byte 42: 127 - 130
    ASSERT_TRUE(read_humidity_trim(r.u8(36, 127).view(), 106, c));
    EXPECT_FLOAT_EQ(c.K, 63.5f);

    ASSERT_TRUE(read_humidity_trim(
        status_reply(133, 45).u16(32, 1800).u16(34, 100).u8(36, 9).u8(37, 21).u8(38, 200).view(), 133, c));
    EXPECT_FLOAT_EQ(c.F0, 1800);
    EXPECT_FLOAT_EQ(c.K, 10.5f);
    EXPECT_EQ(c.kept[1], -73);
    EXPECT_FALSE(read_humidity_trim(status_reply(133, 44).view(), 133, c));
}

TEST(OldFormat, StatusChecksumModelAndFields)
{
    // Day byte 0xC1: year bits 3, day 01. From 2024 the year steps back to 2023.
    const StatusDecode d = decode(old_status(85, 0xC1, 300));
    ASSERT_TRUE(d.old_format);
    EXPECT_EQ(d.ident.type_code, 55);
    EXPECT_EQ(d.view.window_title, "VORLAN ANALOG12345");
    EXPECT_EQ(d.view.PanTime.text, "1.3.2023 10:45:30");
    EXPECT_EQ(d.view.panptr.text, "300");
    EXPECT_EQ(d.view.PanPeriod.text, "10");
    EXPECT_EQ(d.status.change_threshold, 32);
    // Same year bits as the computer's year: no step back; tens of days from bits 4..5.
    EXPECT_EQ(decode(old_status(85, 0x29, 300)).view.PanTime.text, "29.3.2024 10:45:30");
    EXPECT_FALSE(decode(old_status(85, 0xC1, 300).sum(5, 27, 27, 1)).recognised);
    EXPECT_FALSE(decode(old_status(86, 0xC1, 300)).recognised); // model 56 is unknown
    EXPECT_FALSE(decode(old_status(20, 0xC1, 300)).recognised); // below 30
    EXPECT_TRUE(decode(old_status(85, 0x01, 5401)).pointer_tip);
    EXPECT_FALSE(decode(old_status(85, 0x01, 5400)).pointer_tip);
    // A BCD time that is no time is shown as "Error" and not compared.
    const StatusDecode b = decode(old_status(85, 0x01, 300).u8(12, 0x25).sum(5, 27, 27));
    EXPECT_FALSE(b.clock_valid);
    EXPECT_EQ(b.view.PanTime.text, "Error");

    // Its calibration answer: raw 0x0100, a0 1, a1 0.5, threshold 32 raw.
    const auto oc = decode_old_calibration(vxtest::old_calibration(0x0100, 1, 0.5f, 0).view(), 32);
    ASSERT_TRUE(oc.has_value());
    EXPECT_EQ(oc->value_text, "129,0");
    EXPECT_EQ(oc->threshold_text, " 16,0");
    EXPECT_FALSE(
        decode_old_calibration(vxtest::old_calibration(0x0100, 1, 0.5f, 0).sum(5, 29, 29, 1).view(), 32));
}

TEST(NameBlock, BytesWithoutACharacterStayDistinct)
{
    std::set<QString> names;
    for (int b : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        Reply r(22);
        r.u8(5, 'A').u8(6, b).u8(21, 'A' + b);
        for (int i = 7; i < 21; ++i)
            r.u8(i, ' ').u8(21, r.view()[21] + ' ');
        names.insert(decode_name_block(r.view()).value_or("(none)"));
    }
    EXPECT_EQ(names.size(), 5u);
}

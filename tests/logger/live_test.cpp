// Live readings: conversions, coefficient blocks, per-model rules, the old
// calibration answer.
#include "base/calibration.h"
#include "base/code_page.h"
#include "common/temp_home.h"
#include "logger/live.h"
#include "logger/status.h"
#include "reply_builder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vx;
using vxtest::Reply;
using vxtest::status_reply;

namespace
{

DecodeInputs inputs(const Calibration* calib = nullptr, bool diagnostic = false)
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

QString q(const char* s)
{
    return QString::fromUtf8(s);
}

// A current-loop or analog reply with a valid float block a0, a1, a2 at from.
Reply with_block(int type, std::size_t length, std::size_t from, float a0, float a1, float a2)
{
    Reply r = status_reply(type, length);
    r.f32(from, a0).f32(from + 4, a1).f32(from + 8, a2).close_block(from, 13);
    return r;
}

} // namespace

TEST(Conversions, DigitalTemperature)
{
    EXPECT_DOUBLE_EQ(digital_temperature(400), 25.0);
    EXPECT_DOUBLE_EQ(digital_temperature(0xFFF0), -0.9375);
    EXPECT_DOUBLE_EQ(digital_temperature(1999), 124.9375);
    EXPECT_DOUBLE_EQ(digital_temperature(2000), -3970.9375);
    EXPECT_DOUBLE_EQ(digital_temperature(65535), 0.0);
    EXPECT_DOUBLE_EQ(digital_temperature(65519), -1.0);
}

TEST(Conversions, Humidity)
{
    EXPECT_DOUBLE_EQ(psychrometric_humidity(20, 20), 99.9);
    EXPECT_DOUBLE_EQ(psychrometric_humidity(20, 25), 99.9);
    // e(20) = 2325.98 Pa, e(15) = 1698.33 Pa: (1698.33 - 5 x 66.7) / 2325.98 = 58.68 %.
    EXPECT_NEAR(psychrometric_humidity(20, 15), 58.68, 0.01);
    EXPECT_DOUBLE_EQ(psychrometric_humidity(30, 0), 0.0); // far below zero
    EXPECT_NEAR(saturation_pressure(20), 2325.98, 0.01);

    Coefficients c;
    c.F0 = 2000;
    c.S = 160;
    c.K = 10;
    EXPECT_DOUBLE_EQ(capacitive_humidity(1500, c, false), 30.0);
    EXPECT_DOUBLE_EQ(capacitive_humidity(2001, c, false), 0.0); // above the zero count
    EXPECT_DOUBLE_EQ(capacitive_humidity(1000, c, false), 55.0);
    EXPECT_DOUBLE_EQ(capacitive_humidity(0, c, false), 99.9); // 105 is shown as 99.9
    EXPECT_DOUBLE_EQ(capacitive_humidity(1500, c, true), 1500.0);
    c.S = 0;
    EXPECT_DOUBLE_EQ(capacitive_humidity(1500, c, false), 0.0);
    c.S = 160;
    c.K = -200;
    EXPECT_DOUBLE_EQ(capacitive_humidity(1500, c, false), 0.0);
    EXPECT_DOUBLE_EQ(fahrenheit(25), 77.0);
    EXPECT_FLOAT_EQ(correction_value(0x83), -0.1875f);
    EXPECT_FLOAT_EQ(correction_value(0x03), 0.1875f);
}

TEST(CoefficientBlocks, ValidInvalidAndFallbacks)
{
    Coefficients c;
    Reply good = with_block(86, 42, 29, 1.5f, 2, 0.25f);
    EXPECT_TRUE(read_coefficients(good.view(), 86, c));
    EXPECT_FLOAT_EQ(c.a0, 1.5f);
    EXPECT_FLOAT_EQ(c.a1, 2);
    EXPECT_FLOAT_EQ(c.a2, 0.25f);

    Reply bad = good;
    bad.u8(41, good.view()[41] + 1);
    EXPECT_FALSE(read_coefficients(bad.view(), 86, c));
    EXPECT_FLOAT_EQ(c.a0, 0);
    EXPECT_FLOAT_EQ(c.a1, 1);
    EXPECT_FLOAT_EQ(c.a2, 0);

    // A block that would pass the end of the reply is invalid, never read.
    c = Coefficients{};
    c.a0 = 9;
    EXPECT_FALSE(read_coefficients(status_reply(87, 40).view(), 87, c));
    EXPECT_FLOAT_EQ(c.a0, 0);

    Reply wind = status_reply(111, 47);
    wind.f32(30, 1).f32(34, 2).f32(38, 3).f32(42, 4).close_block(30, 17);
    EXPECT_TRUE(read_coefficients(wind.view(), 111, c));
    EXPECT_FLOAT_EQ(c.a3, 4);
    wind.u8(46, wind.view()[46] ^ 1);
    EXPECT_FALSE(read_coefficients(wind.view(), 111, c));
    EXPECT_FLOAT_EQ(c.a3, 1);
    EXPECT_FLOAT_EQ(c.a1, 1);

    Reply flow = status_reply(107, 42);
    flow.u16(30, 300).u16(32, 7).u8(34, 5).close_block(29, 7);
    EXPECT_TRUE(read_coefficients(flow.view(), 107, c));
    EXPECT_FLOAT_EQ(c.a0, 300);
    EXPECT_FLOAT_EQ(c.a1, 7);
    EXPECT_FLOAT_EQ(c.a2, 5);
    flow.u8(35, flow.view()[35] + 1);
    EXPECT_FALSE(read_coefficients(flow.view(), 107, c));
    EXPECT_FLOAT_EQ(c.a0, -1);
    EXPECT_FLOAT_EQ(c.a1, -1);
}

TEST(CoefficientBlocks, HumidityTrimAndKeptBytes)
{
    Coefficients c;
    Reply r = status_reply(106, 44);
    r.u16(31, 2000).u16(33, 160).u8(35, 100).u8(36, 200).u8(37, 7);
    r.u8(38, 1).u8(39, 2).u8(40, 3).u8(41, 4).u8(42, 130).u8(43, 5);
    ASSERT_TRUE(read_humidity_trim(r.view(), 106, c));
    EXPECT_FLOAT_EQ(c.F0, 2000);
    EXPECT_FLOAT_EQ(c.S, 160);
    EXPECT_FLOAT_EQ(c.K, 14); // byte 36 >= 128: (128 - byte 35) / 2
    EXPECT_EQ(c.kept[0], 100);
    EXPECT_EQ(c.kept[1], 7);
    EXPECT_EQ(c.kept[2], 1);
    EXPECT_EQ(c.kept[6], -3); // 127 - 130
    EXPECT_EQ(c.kept[7], 5);
    r.u8(36, 127);
    ASSERT_TRUE(read_humidity_trim(r.view(), 106, c));
    EXPECT_FLOAT_EQ(c.K, 63.5f);
    r.u8(36, 128);
    ASSERT_TRUE(read_humidity_trim(r.view(), 106, c));
    EXPECT_FLOAT_EQ(c.K, 14);

    Reply p = status_reply(133, 45);
    p.u16(32, 1800).u16(34, 100).u8(36, 9).u8(37, 21).u8(38, 200);
    ASSERT_TRUE(read_humidity_trim(p.view(), 133, c));
    EXPECT_FLOAT_EQ(c.F0, 1800);
    EXPECT_FLOAT_EQ(c.S, 100);
    EXPECT_FLOAT_EQ(c.K, 10.5f);
    EXPECT_EQ(c.kept[0], 9);
    EXPECT_EQ(c.kept[1], -73);
    EXPECT_FALSE(read_humidity_trim(status_reply(133, 44).view(), 133, c));
}

TEST(LiveValues, TemperatureHumidityModels)
{
    // At -40 and below the temperature panel keeps its text.
    StatusDecode d = decode(status_reply(87, 44).u16(26, 64895));
    ASSERT_TRUE(d.recognised);
    EXPECT_FALSE(d.view.pantemp.text.has_value());
    d = decode(status_reply(87, 44).u16(26, 64896));
    EXPECT_EQ(d.view.pantemp.text, "-39,9");

    // Humidity limited to 0..100 except in diagnostic mode; an invalid block
    // suppresses the new-records check.
    Reply h = with_block(87, 44, 31, 0, 0.5f, 0);
    h.u16(29, 300);
    d = decode(h);
    EXPECT_EQ(d.view.panhumi.text, "100,0");
    EXPECT_TRUE(d.coef.humidity_block_valid);
    EXPECT_EQ(decode(h, inputs(nullptr, true)).view.panhumi.text, "150,0");
    Reply bad = h;
    bad.u8(43, h.view()[43] + 1);
    d = decode(bad);
    EXPECT_FALSE(d.coef.humidity_block_valid);
    EXPECT_EQ(d.view.panhumi.text, "100,0"); // identity: raw 300, limited

    // Psychrometer: sensor errors, diagnostic mode shows the wet temperature.
    d = decode(status_reply(99, 32).u16(26, 320).u8(28, 1).u16(29, 300).u8(31, 1));
    EXPECT_EQ(d.view.pantemp.text, "ERROR");
    EXPECT_EQ(d.view.panhumi.text, "ERROR");
    d = decode(status_reply(99, 32).u16(26, 320).u16(29, 240).u8(23, 0x10), inputs(nullptr, true));
    EXPECT_EQ(d.view.panhumi.text, " 16,0");

    // Fahrenheit panel of type 100; sensor error.
    d = decode(status_reply(100, 44).u16(26, 0));
    EXPECT_EQ(d.view.PanTempFahren.text, " 32,0");
    EXPECT_EQ(d.view.PanTempFahren.visible, true);
    EXPECT_EQ(decode(status_reply(100, 44).u8(28, 1)).view.pantemp.text, "Error");

    // Type 131: the error flag of value 1 is byte 30; no corrections.
    d = decode(status_reply(131, 32).u16(26, 400).u8(22, 0x10).u8(30, 1));
    EXPECT_EQ(d.view.pantemp.text, "Error");
    EXPECT_EQ(decode(status_reply(131, 32).u16(26, 400).u8(22, 0x10)).view.pantemp.text, " 25,00");

    // Type 133: air pressure.
    d = decode(status_reply(133, 45).u8(31, 113));
    EXPECT_EQ(d.view.PanTempFahren.text, "1013");
    EXPECT_EQ(d.view.PanTempFahren.hint, "Air Pressure hPa");
    EXPECT_EQ(d.ident.record_length, 9);
}

TEST(LiveValues, KeyLogger)
{
    StatusDecode d = decode(status_reply(93, 29).u8(26, 1).u8(27, 5));
    EXPECT_EQ(d.view.pantemp.text, "");
    EXPECT_EQ(d.view.panIBname.text, "");
    EXPECT_FALSE(d.key.has_value());
    d = decode(status_reply(93, 29).u8(26, 0).u8(27, 17).u8(28, 0));
    EXPECT_EQ(d.key, 17);
    EXPECT_EQ(d.view.pantemp.text, "17");
}

TEST(LiveValues, AnalogLimitsWithoutCalibration)
{
    // p(r) = r / 2: 498 -> 249 (shown), 500 -> 250 (not strictly below 250).
    Reply r = with_block(103, 46, 29, 0, 0.5f, 0);
    r.u16(26, 0).u16(42, 498).u16(44, 500);
    StatusDecode d = decode(r);
    EXPECT_EQ(d.view.pantemp.text, "Error");
    EXPECT_EQ(d.view.Hranice.visible, true);
    EXPECT_EQ(d.view.panLo.text, " 249,0");
    EXPECT_EQ(d.view.panLo.visible, true);
    EXPECT_EQ(d.view.PanHI.visible, false);
    EXPECT_EQ(d.view.LBLhi.visible, false);
    // Raw 0 is "no limit" (-1000), never shown. -150 itself is not shown either.
    Reply s = with_block(129, 46, 29, -151, 1, 0);
    s.u16(42, 0).u16(44, 1);
    d = decode(s);
    EXPECT_EQ(d.view.panLo.visible, false);
    EXPECT_EQ(d.view.LBLlo.visible, false);
    EXPECT_EQ(d.view.PanHI.visible, false); // -150
    s.u16(44, 2);
    EXPECT_EQ(decode(s).view.PanHI.text, "-149,0");
}

TEST(LiveValues, CurrentLoopAndLevel)
{
    Reply r = with_block(130, 47, 30, 4, 0.01f, 0);
    r.u16(26, 1000).u16(28, 12).u8(23, 0).u8(19, 0);
    StatusDecode d = decode(r);
    EXPECT_EQ(d.view.pantemp.text, "  14,00");
    EXPECT_EQ(d.view.LBLaktval.text, "Prud:");
    EXPECT_EQ(d.view.LBLunit1.text, "mA");
    EXPECT_EQ(d.view.LBLhumi.text, "REED");
    EXPECT_EQ(d.view.LBLunit2.text, "");
    EXPECT_EQ(d.view.panhumi.text, "     12");
    EXPECT_EQ(d.view.chkpriemer.visible, true);
    EXPECT_EQ(d.view.chkpriemer.checked, false);
    EXPECT_EQ(d.view.BevelHumi.visible, true);
    EXPECT_EQ(d.view.PanGrad.text, "0.0");
    EXPECT_EQ(d.view.PanGrad.hint, q("Zápis pri zmene hodnoty"));
    EXPECT_EQ(d.view.LBLgradunit.text, "mA");

    Reply l = with_block(132, 47, 30, -10, 0.5f, 0);
    l.u16(26, 100).u8(19, 2);
    d = decode(l);
    EXPECT_EQ(d.view.pantemp.text, "  40,00");
    EXPECT_EQ(d.view.LBLaktval.text, "Hladina:");
    EXPECT_EQ(d.view.LBLunit1.text, "cm");
    EXPECT_EQ(d.view.panhumi.visible, false);
    EXPECT_EQ(d.view.chkpriemer.visible, false);
    EXPECT_EQ(d.view.BevelHumi.visible, false);
    // |p(2 x 16) - p(0)| = 16.
    EXPECT_EQ(d.view.PanGrad.text, " 16,0");
    EXPECT_EQ(d.view.LBLgradunit.text, "cm");
}

TEST(LiveValues, ActiveUserCalibration)
{
    Calibration cal;
    cal.calib_active = true;
    cal.ValueName = "Tlak";
    cal.ValueRange = "bar";
    cal.ValueHint = "Tlak v potrubi";
    cal.ValueFormat = "0.00";
    cal.CAL0 = 1;
    cal.CAL1 = 2;
    cal.CAL2 = 0;
    cal.MinValue = -100;
    cal.MaxValue = 100;

    // Current 14 mA -> 2 x 14 + 1 = 29.
    Reply r = with_block(130, 47, 30, 4, 0.01f, 0);
    r.u16(26, 1000).u8(19, 1);
    StatusDecode d = decode(r, inputs(&cal));
    EXPECT_EQ(d.view.LBLaktval.text, "Tlak");
    EXPECT_EQ(d.view.LBLunit1.text, "bar");
    EXPECT_EQ(d.view.pantemp.hint, "Tlak v potrubi");
    EXPECT_EQ(d.view.pantemp.text, cal.format_value(29.0));
    // Threshold through the calibration: |(2 x 4.16 + 1) - (2 x 4 + 1)| = 0.32.
    EXPECT_EQ(d.view.PanGrad.text, "  0,3");

    // Limits of type 103 within the definition's range, in its format.
    Reply a = with_block(103, 46, 29, 0, 1, 0);
    a.u16(26, 10).u16(42, 20).u16(44, 60);
    d = decode(a, inputs(&cal));
    EXPECT_EQ(d.view.pantemp.text, cal.format_value(21.0));
    EXPECT_EQ(d.view.panLo.text, cal.format_value(41.0));
    EXPECT_EQ(d.view.PanHI.visible, true); // 121 is clamped to 100, within the range
    EXPECT_EQ(d.view.PanHI.text, cal.format_value(100.0));
}

TEST(OldCalibration, AnswerOfTheOldFormatLogger)
{
    // Answer from offset 5: raw value 0x0100 (high first), floats at 4, 8, 12, sum last.
    Reply r(30);
    r.u8(5, 0x01).u8(6, 0x00).f32(9, 1).f32(13, 0.5f).f32(17, 0);
    int sum = 0;
    for (int i = 5; i < 29; ++i)
        sum += r.view()[i];
    r.u8(29, sum & 0xFF);
    const auto oc = decode_old_calibration(r.view(), 32);
    ASSERT_TRUE(oc.has_value());
    EXPECT_FLOAT_EQ(oc->a0, 1);
    EXPECT_FLOAT_EQ(oc->a1, 0.5f);
    EXPECT_EQ(oc->value_text, "129,0");
    EXPECT_EQ(oc->threshold_text, " 16,0");
    r.u8(29, (sum + 1) & 0xFF);
    EXPECT_FALSE(decode_old_calibration(r.view(), 32).has_value());
    EXPECT_FALSE(decode_old_calibration(Reply(29).view(), 32).has_value());
}

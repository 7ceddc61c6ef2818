// Calibration definitions "calib.ini": the polynomial with its clamps, the numbers it reads and the
// patterns it writes, in the locale's format (the tests run with a decimal comma).
#include "base/calibration.h"
#include "base/number_format.h"
#include "common/temp_home.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace vx;

TEST(Calibration, PolynomialWithClampsForItsOwnSerialOnly)
{
    vxtest::TempHome home;
    home.write("calib.ini", "; calibrations\r\n[99]\r\nCAL0=5\r\n"
                            "[1234]\r\nValueName=Hladina\r\nValueFormat=0.0\r\nValueHint=V\xFD\x9Aka\r\n"
                            "CAL0=1\r\nCAL1=2\r\nCAL2=0,5\r\nMaxValue=100.0\r\nMinValue=-100\r\n");
    Calibration c;
    ASSERT_TRUE(c.load_calibration(home.dir(), 1234));
    EXPECT_EQ(c.ValueHint, QString::fromUtf8("Výška")); // read in code page 1250
    // 4 * 2 + 1 = 9, then 16 * 0.5 + 9 = 17; 41 + 200 = 241 is clamped; -5 + 4.5 = -0.5.
    EXPECT_FLOAT_EQ(c.calib_value(4), 17.0f);
    EXPECT_FLOAT_EQ(c.calib_value(20), 100.0f);
    EXPECT_FLOAT_EQ(c.calib_value(-3), -0.5f);
    EXPECT_EQ(c.format_value(c.calib_value(4)), "17,0");

    // Another logger: no calibration, and the old values are not used.
    EXPECT_FALSE(c.load_calibration(home.dir(), 1235));
    EXPECT_FALSE(c.calib_active);
    EXPECT_FLOAT_EQ(c.calib_value(4), 0.0f);
    EXPECT_TRUE(c.load_calibration(home.dir(), 99));
    EXPECT_FLOAT_EQ(c.calib_value(4), 0.0f); // CAL0 5 clamped to the missing bounds, 0
}

TEST(Calibration, MissingFileOrEmptySectionBadNumbersAndCoefficientsBeyondSinglePrecision)
{
    vxtest::TempHome home;
    Calibration c;
    EXPECT_FALSE(c.load_calibration(home.dir(), 1234));
    home.write("calib.ini", "[1234]\r\n\r\n[77]\r\nCAL0=abc\r\nCAL1=\r\nCAL2=1,5e1\r\nMaxValue=1.000,5\r\n"
                            "MinValue=-2,5\r\n");
    EXPECT_FALSE(c.load_calibration(home.dir(), 1234));
    ASSERT_TRUE(c.load_calibration(home.dir(), 77));
    EXPECT_FLOAT_EQ(c.CAL0, 0.0f);
    EXPECT_FLOAT_EQ(c.CAL2, 15.0f);
    EXPECT_FLOAT_EQ(c.MaxValue, 0.0f);
    EXPECT_FLOAT_EQ(c.MinValue, -2.5f);
    // The upper clamp comes first: with MinValue above MaxValue every result is MinValue.
    c.MaxValue = -10;
    c.MinValue = 10;
    EXPECT_FLOAT_EQ(c.calib_value(100), 10.0f);
    // A coefficient beyond single precision (the first of a key counts): no clamped value, no "n.n".
    for (const char* coef : {"CAL1=1e39", "CAL0=-1e39", "CAL2=1e39"}) {
        home.write("calib.ini",
                   "[7]\r\n" + QByteArray(coef) + "\r\nCAL1=1\r\nMaxValue=100\r\nMinValue=-100\r\n");
        Calibration cal;
        ASSERT_TRUE(cal.load_calibration(home.dir(), 7));
        for (float raw : {0.0f, 5.0f})
            EXPECT_EQ(cal.format_value(cal.calib_value(raw)), "out of range") << coef << " " << raw;
    }
}

TEST(ParseDecimal, CommaOrPoint)
{
    const struct {
        const char* text;
        double value;
        bool ok;
    } cases[] = {{"1,5", 1.5, true}, {" -0.25 ", -0.25, true}, {"100", 100, true},  {"", 0, false},
                 {"abc", 0, false},  {"1,2,3", 0, false},      {"1.2.3", 0, false}, {"12 cm", 0, false},
                 {"nan", 0, false},  {"inf", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        bool ok = !c.ok;
        EXPECT_DOUBLE_EQ(parse_decimal(c.text, &ok), c.value);
        EXPECT_EQ(ok, c.ok);
    }
    EXPECT_DOUBLE_EQ(parse_decimal("2,5", nullptr), 2.5);
}

TEST(FormatPattern, PlaceholdersSectionsAndLiterals)
{
    // pattern | value | expected, one case a line.
    const char* cases =
        "0.0|12.34|12,3\n0.00|9.999|10,00\n0.00|0.285|0,29\n0|2.5|3\n0|-2.5|-3\n000|7|007\n"
        "0.##|2.5|2,5\n0.##|2|2\n0.0#|1.456|1,46\n#.##|0.5|,5\n#|0|\n0.0|-0.01|0,0\n0.0|-7.25|-7,3\n"
        "Tlak 0 kPa|99.6|Tlak 100 kPa\n\"0.0\" 0|5|0.0 5\n'#' 0|5|# 5\n#,##0|999|999\n"
        "bez cisla|5|bez cisla\n0.0;(0.0)|-1.25|(1,3)\n0.0;(0.0)|1.25|1,3\n0.0;-0.0;nula|0.01|nula\n"
        "0.0;;nula|-3|-3,0\n|17|17\n|-2.25|-2,25";
    for (const QString& line : QString(cases).split('\n')) {
        const QStringList c = line.split('|');
        EXPECT_EQ(format_pattern(c[0], c[1].toDouble()), c[2]) << line.toStdString();
    }
    const QString sep = QLocale().groupSeparator();
    EXPECT_EQ(format_pattern("#,##0", 1234567), "1" + sep + "234" + sep + "567");
}

TEST(NumberFormat, PatternsWithTheLocaleSeparatorAndHalvesAwayFromZero)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"%5.1f", 25.0, " 25,0"},  {"%7.2f", -3.5, "  -3,50"}, {"%1.0f %%", 99.0, "99 %"},
        {"%5.1f", 24.25, " 24,3"}, {"%5.1f", -24.25, "-24,3"}, {"%6.2f", 0.125, "  0,13"}};
    for (auto [pattern, value, expected] : cases)
        EXPECT_EQ(format_number(pattern, value), QString::fromUtf8(expected)) << pattern << " " << value;
    EXPECT_EQ(format_fixed(1234, 7, 0), "   1234");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(format_fixed(-2.25, 7, 2), "  -2.25");
    QLocale::setDefault(QLocale(QLocale::Slovak, QLocale::Slovakia));
}

#include "base/calibration.h"
#include "common/temp_home.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace vx;

namespace
{

const QByteArray level_section = "[1234]\r\n"
                                 "ValueName=Hladina\r\n"
                                 "ValueRange=cm\r\n"
                                 "ValueFormat=0.0\r\n"
                                 "ValueHint=V\xFD\x9Aka hladiny\r\n"
                                 "CAL0=1\r\n"
                                 "CAL1=2\r\n"
                                 "CAL2=0,5\r\n"
                                 "MaxValue=100.0\r\n"
                                 "MinValue=-100\r\n";

} // namespace

TEST(Calibration, PolynomialWithClampsForItsOwnSerialOnly)
{
    vxtest::TempHome home;
    home.write("calib.ini", "; calibrations\r\n[99]\r\nCAL0=5\r\n" + level_section);
    Calibration c;
    ASSERT_TRUE(c.load_calibration(home.dir(), 1234));
    EXPECT_TRUE(c.calib_active);
    EXPECT_EQ(c.ValueName, "Hladina");
    EXPECT_EQ(c.ValueRange, "cm");
    EXPECT_EQ(c.ValueFormat, "0.0");
    EXPECT_EQ(c.ValueHint, QString::fromUtf8("Výška hladiny"));
    EXPECT_FLOAT_EQ(c.CAL2, 0.5f);
    EXPECT_FLOAT_EQ(c.MaxValue, 100.0f);
    // 4 * 2 + 1 = 9, then 16 * 0.5 + 9 = 17.
    EXPECT_FLOAT_EQ(c.calib_value(4), 17.0f);
    // 41 + 200 = 241, clamped.
    EXPECT_FLOAT_EQ(c.calib_value(20), 100.0f);
    // -30: -59 + 450 = 391 -> 100; -3: -5 + 4.5 = -0.5.
    EXPECT_FLOAT_EQ(c.calib_value(-3), -0.5f);
    EXPECT_EQ(c.format_value(c.calib_value(4)), "17,0");

    // Another logger: no calibration, and the old values are not used.
    EXPECT_FALSE(c.load_calibration(home.dir(), 1235));
    EXPECT_FALSE(c.calib_active);
    EXPECT_FLOAT_EQ(c.calib_value(4), 0.0f);
    EXPECT_TRUE(c.load_calibration(home.dir(), 99));
    EXPECT_FLOAT_EQ(c.calib_value(4), 0.0f); // CAL0 5 clamped to the missing bounds, 0
}

TEST(Calibration, MissingFileOrEmptySectionAndBadNumbers)
{
    vxtest::TempHome home;
    Calibration c;
    EXPECT_FALSE(c.load_calibration(home.dir(), 1234));
    EXPECT_FALSE(c.calib_active);

    home.write("calib.ini", "[1234]\r\n\r\n[77]\r\nCAL0=abc\r\nCAL1=\r\nCAL2=1,5e1\r\nMaxValue=1.000,5\r\n"
                            "MinValue=-2,5\r\n");
    EXPECT_FALSE(c.load_calibration(home.dir(), 1234));
    ASSERT_TRUE(c.load_calibration(home.dir(), 77));
    EXPECT_FLOAT_EQ(c.CAL0, 0.0f);
    EXPECT_FLOAT_EQ(c.CAL1, 0.0f);
    EXPECT_FLOAT_EQ(c.CAL2, 15.0f);
    EXPECT_FLOAT_EQ(c.MaxValue, 0.0f);
    EXPECT_FLOAT_EQ(c.MinValue, -2.5f);
    // The upper clamp comes first: with MinValue above MaxValue every result
    // is MinValue.
    c.MaxValue = -10;
    c.MinValue = 10;
    EXPECT_FLOAT_EQ(c.calib_value(0), 10.0f);
    EXPECT_FLOAT_EQ(c.calib_value(100), 10.0f);
}

TEST(ParseDecimal, CommaOrPoint)
{
    bool ok = false;
    EXPECT_DOUBLE_EQ(parse_decimal("1,5", &ok), 1.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parse_decimal(" -0.25 ", &ok), -0.25);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parse_decimal("100", &ok), 100.0);
    EXPECT_TRUE(ok);
    for (const char* bad : {"", "abc", "1,2,3", "1.2.3", "12 cm", "nan", "inf"}) {
        EXPECT_DOUBLE_EQ(parse_decimal(bad, &ok), 0.0) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    EXPECT_DOUBLE_EQ(parse_decimal("2,5", nullptr), 2.5);
}

TEST(FormatPattern, PlaceholdersPointAndLiterals)
{
    EXPECT_EQ(format_pattern("0.0", 12.34), "12,3");
    EXPECT_EQ(format_pattern("0.00", 9.999), "10,00");
    EXPECT_EQ(format_pattern("0.00", 0.285), "0,29");
    EXPECT_EQ(format_pattern("0", 2.5), "3");
    EXPECT_EQ(format_pattern("0", -2.5), "-3");
    EXPECT_EQ(format_pattern("0", 123.456), "123");
    EXPECT_EQ(format_pattern("000", 7), "007");
    EXPECT_EQ(format_pattern("0.##", 2.5), "2,5");
    EXPECT_EQ(format_pattern("0.##", 2), "2");
    EXPECT_EQ(format_pattern("0.0#", 1.456), "1,46");
    EXPECT_EQ(format_pattern("#.##", 0.5), ",5");
    EXPECT_EQ(format_pattern("#", 0), "");
    EXPECT_EQ(format_pattern("0.000", 0.0004), "0,000");
    EXPECT_EQ(format_pattern("0.0", 1e-20), "0,0");
    EXPECT_EQ(format_pattern("0.0", -0.01), "0,0");
    EXPECT_EQ(format_pattern("0.0", -7.25), "-7,3");
    EXPECT_EQ(format_pattern("0.0 cm", 12.34), "12,3 cm");
    EXPECT_EQ(format_pattern("Tlak 0 kPa", 99.6), "Tlak 100 kPa");
    EXPECT_EQ(format_pattern("\"0.0\" 0", 5), "0.0 5");
    EXPECT_EQ(format_pattern("'#' 0", 5), "# 5");
    EXPECT_EQ(format_pattern("#,##0", 1234567),
              QString("1") + QLocale().groupSeparator() + "234" + QLocale().groupSeparator() + "567");
    EXPECT_EQ(format_pattern("#,##0", 999), "999");
    EXPECT_EQ(format_pattern("bez cisla", 5), "bez cisla");
}

TEST(FormatPattern, SectionsAndTheEmptyPattern)
{
    EXPECT_EQ(format_pattern("0.0;(0.0)", -1.25), "(1,3)");
    EXPECT_EQ(format_pattern("0.0;(0.0)", 1.25), "1,3");
    EXPECT_EQ(format_pattern("0.0;-0.0;nula", 0.01), "nula");
    EXPECT_EQ(format_pattern("0.0;;nula", -3), "-3,0");
    EXPECT_EQ(format_pattern("", 17), "17");
    EXPECT_EQ(format_pattern("", 0.5), "0,5");
    EXPECT_EQ(format_pattern("", -2.25), "-2,25");
}

TEST(Calibration, CoefficientsBeyondSinglePrecisionShowOutOfRange)
{
    // 1e39 does not fit a single-precision coefficient: no clamped value, no "n.n".
    vxtest::TempHome home;
    for (const char* coef : {"CAL1=1e39", "CAL0=-1e39", "CAL2=1e39"}) {
        // The first occurrence of a key counts.
        home.write("calib.ini",
                   "[7]\r\n" + QByteArray(coef) + "\r\nCAL1=1\r\nMaxValue=100\r\nMinValue=-100\r\n");
        Calibration cal;
        ASSERT_TRUE(cal.load_calibration(home.dir(), 7));
        for (float raw : {0.0f, 5.0f})
            EXPECT_EQ(cal.format_value(cal.calib_value(raw)), "out of range") << coef << " " << raw;
    }
}

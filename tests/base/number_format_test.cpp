// Numbers in the system locale's format, with exact halves rounded away
// from zero (the test program runs in a locale with a decimal comma).
#include "base/number_format.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace vx;

TEST(NumberFormat, PatternsWithTheLocaleSeparator)
{
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"%5.1f", 25.0, " 25,0"},  {"%7.2f", -3.5, "  -3,50"}, {"%1.0f %%", 99, "99 %"},
        {"%5.1f", 24.25, " 24,3"}, {"%5.1f", -24.25, "-24,3"}, {"%6.2f", 0.125, "  0,13"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern + std::string(" ") + std::to_string(c.value));
        EXPECT_EQ(format_number(c.pattern, c.value), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(format_fixed(1234, 7, 0), "   1234");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(format_fixed(-2.25, 7, 2), "  -2.25");
    QLocale::setDefault(QLocale(QLocale::Slovak, QLocale::Slovakia));
}

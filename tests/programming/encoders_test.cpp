// Wire values of mission, setup and calibration settings.
#include "base/calibration.h"
#include "programming/encoders.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vx;

// The rows the mission start tests send through the simulator are left out.
TEST(GradientCode, PerModelRule)
{
    Calibration doubled; // 2 x value, clamped to 0..10
    doubled.calib_active = true;
    doubled.CAL1 = 2;
    doubled.MaxValue = 10;
    const Coefficients quarter{0, 0.25f, 0, 1};
    const std::pair<GradientInputs, int> cases[] = {
        {{85, 0.0, {}, 0, nullptr}, 0},             // no condition
        {{111, 1, quarter, 0, nullptr}, 1},         // first k with 0.25 k > 1 is 5; 5 div 4
        {{111, 1, {0, 0, 0, 1}, 0, nullptr}, 255},  // A1 = 0 never leaves the search
        {{130, 9, quarter, 0, &doubled}, 1},        // 2 x 0.25 k > 9 at k 19
        {{130, 10, quarter, 0, &doubled}, 255},     // clamped at 10: never more than 10 apart
        {{97, 10, {0, 0.5f, 0, 1}, 0, nullptr}, 4}, // 10 / 0.5 / 5
        {{97, 10, {0, 0, 0, 1}, 0, nullptr}, 255},  // division by zero: the largest code
        {{107, 300, {}, 0, nullptr}, 255},          // counts as they stand, cut to a byte
    };
    for (const auto& [in, code] : cases) {
        SCOPED_TRACE(testing::Message() << in.type << " " << in.value);
        EXPECT_EQ(gradient_code(in), code);
    }
}

TEST(RawThreshold, FirstCountAboveTheLimit)
{
    Calibration doubled;
    doubled.CAL1 = 2;
    doubled.MaxValue = 10; // not applied: the threshold search is unclamped
    const Coefficients analog{-250, 0.25f, 0, 1};
    EXPECT_EQ(raw_threshold(0, analog, nullptr), (LimitBytes{233, 3}));       // k 1001
    EXPECT_EQ(raw_threshold(-300, analog, nullptr), (LimitBytes{0, 0}));      // k 0
    EXPECT_EQ(raw_threshold(20000, analog, nullptr), (LimitBytes{0, 0}));     // never reached
    EXPECT_EQ(raw_threshold(16132, analog, nullptr), (LimitBytes{249, 255})); // k 65529
    EXPECT_EQ(raw_threshold(16132.25, analog, nullptr), (LimitBytes{0, 0}));  // k 65530: too close to the end
    EXPECT_EQ(raw_threshold(15, Coefficients{0, 0.25f, 0, 1}, &doubled), (LimitBytes{31, 0}));
}

// The common cases go through the simulator (mission start and setup
// tests); these are the edges.
TEST(SettingCodes, EdgesOfTheEncodings)
{
    EXPECT_EQ(offset_code(-0.0625), 129);
    EXPECT_TRUE(offset_acceptable(7.99));
    EXPECT_FALSE(offset_acceptable(8.0));
    EXPECT_FALSE(offset_acceptable(-8.0));
    EXPECT_EQ(humidity_offset_cell(50), 100);
    EXPECT_EQ(output_temperature_cell(-1), 128); // 127 - t, not 128 - t
    EXPECT_EQ(output_temperature_cell(80), 80);
    EXPECT_EQ(old_gradient_quotient(-3, 0.5f), 6);
    EXPECT_EQ(old_gradient_quotient(100, 0.001f), std::nullopt); // above 65535
    const auto flow = flow_constant_bytes(65535, 300, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(flow.begin(), flow.end()),
              (std::vector<std::uint8_t>{255, 255, 44, 1, 2}));
}

TEST(TypedValues, CommaOrPointAndWholeNumbers)
{
    EXPECT_EQ(to_number("0,5"), 0.5);
    EXPECT_EQ(to_number(" 2.25 "), 2.25);
    EXPECT_EQ(to_number("abc"), std::nullopt);
    EXPECT_EQ(to_integer(" 42"), 42);
    EXPECT_EQ(to_integer("4.2"), std::nullopt);
    EXPECT_EQ(shortest_text(0.1f), "0,1"); // the test locale writes a comma
    EXPECT_EQ(shortest_text(-250.0f), "-250");
}

// Identification and status decoding against replies built byte by byte.
#include "base/language.h"
#include "common/temp_home.h"
#include "logger/catalogue.h"
#include "logger/daynum.h"
#include "logger/live.h"
#include "logger/status.h"
#include "reply_builder.h"

#include <QColor>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

using namespace vx;
using vxtest::Reply;
using vxtest::status_reply;

namespace
{

DecodeInputs inputs()
{
    DecodeInputs in;
    in.pc_date = QDate(2024, 3, 1);
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

// One model: the reply it sends and what the window must show.
struct ModelCase {
    int type;
    std::size_t length;
    const char* caption;
    int ring;
    int record_length;
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
    return {
        {85, 29, "Zapisovač teploty", 5201, 6, 10, "50%", std::nullopt, " 25,0", nullptr,
         [](Reply& r) { r.u16(26, 400); }},
        {86, 42, "Zapisovač teploty ANALOG", 5201, 6, 20, "100%", std::nullopt, "   50,0", nullptr,
         [](Reply& r) { r.u16(26, 1000).f32(29, -50).f32(33, 0.1f).f32(37, 0).close_block(29, 13); }},
        {87, 44, "Zapisovač Teplota+Vlhkosť", 3901, 8, 21, "Error", std::nullopt, " 25,0", " 50,0",
         [](Reply& r) {
             r.u16(26, 400).u16(29, 500).f32(31, 0).f32(35, 0.1f).f32(39, 0).close_block(31, 13);
         }},
        {88, 44, "VORLAN Zelin", 8001, 8, 0, "0%", std::nullopt, " 25,0", " 50,0",
         [](Reply& r) {
             r.u16(26, 400).u16(29, 500).f32(31, 0).f32(35, 0.1f).f32(39, 0).close_block(31, 13);
         }},
        {89, 29, "VORLAN Olvek", 10401, 6, 10, "50%", std::nullopt, " -0,9", nullptr,
         [](Reply& r) { r.u16(26, 0xFFF0); }},
        {90, 29, "Zapisovač prietoku", 5201, 6, 10, "50%", std::nullopt, "1234", nullptr,
         [](Reply& r) { r.u16(26, 1234); }},
        {92, 44, "Zapisovač Teplota+Vlhkosť", 3901, 8, 10, "50%", std::nullopt, " 25,0", " 50,0",
         [](Reply& r) {
             r.u16(26, 400).u16(29, 500).f32(31, 0).f32(35, 0.1f).f32(39, 0).close_block(31, 13);
         }},
        {93, 29, "Zapisovac iButton", 10401, 6, 10, "50%", std::nullopt, "12345", nullptr,
         [](Reply& r) { r.u8(26, 0).u8(27, 0x39).u8(28, 0x30); }},
        {94, 42, "Zapisovač teploty ANALOG", 10401, 6, 10, "50%", std::nullopt, "ERROR", nullptr,
         [](Reply& r) { r.u16(26, 0).f32(29, 0).f32(33, 1).f32(37, 0).close_block(29, 13); }},
        // An invalid block (its sum is not 0xAA) shows the raw number.
        {95, 42, "Zapisovač teploty ANALOG", 10401, 6, 100, "7,4 V", std::nullopt, " 1000,0", nullptr,
         [](Reply& r) { r.u16(26, 1000).f32(29, 5).f32(33, 5).f32(37, 5).u8(41, 1); }},
        {96, 29, "VORLAN LCD Mibra", 10401, 6, 170, "2,7 V", red, "-3970,9", nullptr,
         [](Reply& r) { r.u16(26, 2000); }},
        {97, 42, "Zapisovač Prud/napatie", 10401, 6, 150, "5,1 V", std::nullopt, "Error", nullptr,
         [](Reply& r) { r.u16(26, 500).u8(28, 1).f32(29, 0).f32(33, 1).f32(37, 0).close_block(29, 13); }},
        {99, 32, "VORLAN LCD Kalme", 8001, 8, 100, "4,9 V", white, " 20,0", " 99,9",
         [](Reply& r) { r.u16(26, 320).u16(29, 320); }},
        {100, 44, "Teplota/Vlhkost Lumeo", 8000, 8, 100, "4,9 V", white, " 25,0", " 30,0",
         [](Reply& r) { r.u16(26, 400).u16(29, 1500).u16(31, 2000).u16(33, 160).u8(35, 0).u8(36, 20); }},
        {101, 42, "LCD Analog zapisovač", 10401, 6, 170, "2,7 V", red, "  250,0", nullptr,
         [](Reply& r) { r.u16(26, 250).f32(29, 0).f32(33, 1).f32(37, 0).close_block(29, 13); }},
        {102, 29, "Zapisovač imp.prietoku", 10401, 6, 10, "50%", std::nullopt, "77", nullptr,
         [](Reply& r) { r.u16(26, 77); }},
        {103, 46, "Zapisovač teploty ANALOG", 10401, 6, 10, "50%", std::nullopt, "   50,0", nullptr,
         [](Reply& r) { r.u16(26, 100).f32(29, 0).f32(33, 0.5f).f32(37, 0).close_block(29, 13); }},
        {105, 44, "2x Temp", 8000, 8, 100, "4,9 V", white, " 25,0", " -1,1",
         [](Reply& r) { r.u16(26, 400).u16(29, 0xFFF0).u8(23, 0x83); }},
        {106, 44, "Teplota/Vlhkost Lumeo", 8000, 8, 100, "4,9 V", white, " 25,0", " 30,0",
         [](Reply& r) { r.u16(26, 400).u16(29, 1430).u16(31, 2000).u16(33, 160).u8(35, 0).u8(36, 20); }},
        {107, 29, "Prietok", 10401, 6, 100, "4,9 V", white, "4321", nullptr,
         [](Reply& r) { r.u16(26, 4321); }},
        // The corrections are not added for this model.
        {108, 45, "Wenda", 8000, 8, 200, "7,3 V", white, " 25,0", "Error",
         [](Reply& r) { r.u8(22, 0x10).u16(26, 400).u16(29, 400).u8(31, 1); }},
        {111, 47, "LCD_Jorvi", 8000, 8, 200, "3,2 V", red, " 10,0", " 90,0",
         [](Reply& r) {
             r.u16(26, 20).u16(28, 45).f32(30, 0).f32(34, 0.5f).f32(38, 0).f32(42, 2).close_block(30, 17);
         }},
        {128, 29, "TEMNIRA Corvy", 10401, 6, 90, "3,0 V", white, " 25,2", nullptr,
         [](Reply& r) { r.u8(22, 0x03).u16(26, 400); }},
        {129, 46, "Zapisovač teploty ANALOG", 10401, 6, 60, "2,0 V", red, "   50,0", nullptr,
         [](Reply& r) { r.u16(26, 100).f32(29, 0).f32(33, 0.5f).f32(37, 0).close_block(29, 13); }},
        {130, 47, "TEMNIRA Belsa", 8001, 8, 60, "2,0 V", red, "  12,34", "     55",
         [](Reply& r) {
             r.u16(26, 1234).u16(28, 55).u8(23, 1).f32(30, 0).f32(34, 0.01f).f32(38, 0).close_block(30, 13);
         }},
        {131, 32, "2x Temp", 8000, 8, 105, "99 %", std::nullopt, " 25,00", " -0,94",
         [](Reply& r) { r.u16(26, 400).u16(28, 0xFFF0); }},
        {132, 47, "TEMNIRA Parun", 8001, 8, 10, nullptr, std::nullopt, "  50,00", nullptr,
         [](Reply& r) { r.u16(26, 500).f32(30, 0).f32(34, 0.1f).f32(38, 0).close_block(30, 13); }},
        {133, 45, "SOLVA-Fenko", 7000, 9, 100, "4,9 V", white, " 25,0", " 30,0",
         [](Reply& r) {
             r.u16(26, 400).u16(29, 1500).u8(31, 113).u16(32, 2000).u16(34, 160).u8(36, 0).u8(37, 20);
         }},
    };
}

} // namespace

TEST(Catalogue, HoldsExactlyTheKnownTypeCodes)
{
    std::set<int> types;
    for (const ModelRow& row : all_models())
        types.insert(row.type);
    const std::set<int> expected = {55,  85,  86,  87,  88,  89,  90,  92,  93,  94,  95,  96,  97,  99, 100,
                                    101, 102, 103, 105, 106, 107, 108, 111, 128, 129, 130, 131, 132, 133};
    EXPECT_EQ(types, expected);
    for (int t : {0, 84, 91, 98, 104, 109, 110, 112, 120, 127, 134, 255})
        EXPECT_EQ(find_model(t), nullptr) << t;
    // 87 and 92 are one model under two codes.
    EXPECT_EQ(find_model(87)->ring_size, find_model(92)->ring_size);
    EXPECT_STREQ(find_model(87)->caption.fixed, find_model(92)->caption.fixed);
}

TEST(Catalogue, LanguageTextsReplaceBuiltInCaptions)
{
    Language lang;
    lang.table[106].mess = "Zelin EN";
    EXPECT_EQ(find_model(88)->caption.resolve(&lang), "Zelin EN");
    // An empty language text keeps the built-in default; fixed captions never change.
    EXPECT_EQ(find_model(89)->caption.resolve(&lang), "VORLAN Olvek");
    EXPECT_EQ(find_model(85)->caption.resolve(&lang), q("Zapisovač teploty"));
}

TEST(StatusDecode, EveryModelShowsItsCaptionStatusAndReadings)
{
    const auto cases = model_cases();
    std::set<int> covered;
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.type);
        covered.insert(c.type);
        Reply r = status_reply(c.type, c.length);
        r.u8(15, c.battery_raw);
        if (c.type == 132) r.u8(18, 61);
        c.fill(r);
        const StatusDecode d = decode(r);
        ASSERT_TRUE(d.recognised);
        EXPECT_EQ(d.ident.type_code, c.type);
        EXPECT_EQ(d.ident.ring_size, c.ring);
        EXPECT_EQ(d.ident.record_length, c.record_length);
        EXPECT_EQ(d.view.pantype.text, q(c.caption));
        EXPECT_EQ(d.view.pansn.text, "4321");
        EXPECT_EQ(d.view.window_title, "VORLAN 4321");
        EXPECT_EQ(d.status.serial, 4321);
        EXPECT_EQ(d.view.PanTime.text, "1.3.2024 10:45:30");
        EXPECT_TRUE(d.clock_valid);
        EXPECT_EQ(d.status.logger_time, QDateTime(QDate(2024, 3, 1), QTime(10, 45, 30)));
        EXPECT_EQ(d.view.panptr.text, "100");
        EXPECT_EQ(d.status.record_pointer, 100);
        if (c.battery) {
            EXPECT_EQ(d.view.panbat.text, q(c.battery));
            EXPECT_EQ(d.view.panbat.visible, true);
        } else {
            EXPECT_EQ(d.view.panbat.visible, false);
            EXPECT_EQ(d.view.LBLbat.visible, false);
        }
        EXPECT_EQ(d.view.panbat.color, c.colour);
        EXPECT_EQ(d.view.pantemp.text, q(c.value1));
        if (c.value2) {
            EXPECT_EQ(d.view.panhumi.text, q(c.value2));
        } else {
            EXPECT_FALSE(d.view.panhumi.text.has_value());
        }
    }
    for (const ModelRow& row : all_models()) {
        if (row.type != 55) {
            EXPECT_TRUE(covered.count(row.type)) << "no case for type " << row.type;
        }
    }
}

TEST(StatusDecode, ModelAdaptationsOfTheLivePage)
{
    auto view_of = [](int type, std::size_t length) { return decode(status_reply(type, length)).view; };
    StatusView v = view_of(90, 29);
    EXPECT_EQ(v.LBLaktval.text, "Counter:");
    EXPECT_EQ(v.LBLunit1.visible, false);
    EXPECT_EQ(v.BevelHumi.visible, false);

    v = view_of(93, 29);
    EXPECT_EQ(v.LBLaktval.text, q("Klúc"));
    EXPECT_EQ(v.panIBname.visible, true);
    EXPECT_EQ(v.pantemp.hint, q("Číslo klúca"));
    EXPECT_EQ(v.tab_conditions_visible, false);
    EXPECT_EQ(v.mission_timing_visible, false);
    EXPECT_EQ(v.start_timing_inputs_visible, false);

    v = view_of(102, 29);
    EXPECT_EQ(v.LBLaktval.text, q("Čítač:"));
    EXPECT_EQ(v.LBLunit1.text, "imp");
    EXPECT_EQ(v.PanGrad.visible, false);
    EXPECT_EQ(v.LBLgrad.visible, false);

    v = view_of(107, 29);
    EXPECT_EQ(v.LBLaktval.text, "Mnozstvo");
    EXPECT_EQ(v.LBLunit1.text, "");
    EXPECT_EQ(v.LBLhumi.text, "");
    EXPECT_EQ(v.Hranice.visible, false);
    EXPECT_EQ(v.panLo.visible, false);
    EXPECT_EQ(v.LBLgradunit.visible, false);
    EXPECT_EQ(v.PanGrad.text, "16,0"); // plain quantity units, not 1/16
    EXPECT_EQ(v.PanGrad.hint, q("zapíše údaj pre zmene množstva"));

    v = view_of(111, 47);
    EXPECT_EQ(v.LBLaktval.text, "Rychlost");
    EXPECT_EQ(v.LBLunit1.text, "m/s");
    EXPECT_EQ(v.LBLhumi.text, "Smer");

    v = view_of(131, 32);
    EXPECT_EQ(v.pantemp.hint, "Temp1");
    EXPECT_EQ(v.panhumi.hint, "Temp2");

    // A model without adaptations puts the form defaults back.
    v = view_of(85, 29);
    EXPECT_EQ(v.LBLaktval.text, "Teplota:");
    EXPECT_EQ(v.LBLunit1.text, "'C");
    EXPECT_EQ(v.LBLunit1.visible, true);
    EXPECT_EQ(v.panIBname.visible, false);
    EXPECT_EQ(v.Hranice.visible, false);
    EXPECT_EQ(v.PanGrad.text, " 1,0");
    EXPECT_EQ(v.setup_calib_group_visible, false);
    EXPECT_EQ(v.setup_correction_enabled, true);
    EXPECT_EQ(view_of(86, 42).setup_calib_group_visible, true);
    EXPECT_FALSE(view_of(90, 29).setup_calib_group_visible.has_value());
}

TEST(StatusDecode, TemperatureLabelFromTheLanguageFile)
{
    Language lang;
    DecodeInputs in = inputs();
    in.lang = &lang;
    // Without a language text the label keeps its caption instead of going blank.
    EXPECT_EQ(decode(status_reply(85, 29), in).view.LBLaktval.text, "Teplota:");
    lang.table[10].label = "Temperature:";
    EXPECT_EQ(decode(status_reply(85, 29), in).view.LBLaktval.text, "Temperature:");
    EXPECT_EQ(decode(status_reply(87, 44), in).view.LBLaktval.text, "Teplota:");
}

TEST(Identification, ReplyLengthRules)
{
    EXPECT_TRUE(decode(status_reply(102, 29)).recognised);
    const StatusDecode long102 = decode(status_reply(102, 30));
    EXPECT_FALSE(long102.recognised);
    EXPECT_EQ(long102.ident.type_code, 102); // the code read stays
    for (int type : {103, 129}) {
        EXPECT_FALSE(decode(status_reply(type, 45)).recognised) << type;
        EXPECT_TRUE(decode(status_reply(type, 46)).recognised) << type;
        EXPECT_FALSE(decode(status_reply(type, 47)).recognised) << type;
    }
    EXPECT_FALSE(decode(status_reply(88, 43)).recognised);
    EXPECT_TRUE(decode(status_reply(88, 44)).recognised);
    for (int type : {130, 132}) {
        EXPECT_FALSE(decode(status_reply(type, 46)).recognised) << type;
        EXPECT_TRUE(decode(status_reply(type, 47)).recognised) << type;
    }
    const StatusDecode unknown = decode(status_reply(91, 40));
    EXPECT_FALSE(unknown.recognised);
    EXPECT_EQ(unknown.ident.type_code, 91);
    // The old-format model exists only as a 28-byte reply.
    EXPECT_FALSE(decode(status_reply(55, 29)).recognised);
    // Below 29 bytes nothing is recognised and the type code is 0.
    Reply short85(27);
    short85.u8(5, 85);
    const StatusDecode s = decode(short85);
    EXPECT_FALSE(s.recognised);
    EXPECT_EQ(s.ident.type_code, 0);
    EXPECT_FALSE(decode(Reply(0)).recognised);
}

TEST(Identification, FieldsPastTheEndOfAShortReplyAreNotRead)
{
    // Type 99 needs its second reading and error flag at 29..31.
    EXPECT_FALSE(decode(status_reply(99, 31)).recognised);
    EXPECT_TRUE(decode(status_reply(99, 32)).recognised);
    // Type 87 needs its humidity raw value at 29..30.
    EXPECT_FALSE(decode(status_reply(87, 30)).recognised);
    // Models that name the bytes their readings need keep their panels when shorter.
    const StatusDecode d = decode(status_reply(100, 43));
    ASSERT_TRUE(d.recognised);
    EXPECT_FALSE(d.view.pantemp.text.has_value());
    EXPECT_FALSE(d.view.panhumi.text.has_value());
    EXPECT_EQ(d.view.pansn.text, "4321");
}

namespace
{

// The 23-byte old-format answer at reply offset 5, with its sum at answer 22.
Reply old_status(int model_byte, int day_byte, int pointer, bool good_sum = true)
{
    Reply r(28);
    r.u8(5 + 0, 0x39).u8(5 + 1, 0x30); // serial 12345, low byte first
    r.u8(5 + 2, model_byte);
    r.u8(5 + 5, 0x30).u8(5 + 6, 0x45).u8(5 + 7, 0x10); // 10:45:30 in BCD
    r.u8(5 + 8, day_byte).u8(5 + 9, 0x03);             // month 3
    r.u8(5 + 12, pointer >> 8).u8(5 + 13, pointer & 0xFF);
    r.u8(5 + 16, 10);
    r.u8(5 + 18, 0x00).u8(5 + 19, 0x20);
    int sum = 0;
    for (int i = 0; i < 22; ++i)
        sum += r.view()[5 + i];
    r.u8(5 + 22, good_sum ? sum & 0xFF : (sum + 1) & 0xFF);
    return r;
}

} // namespace

TEST(OldFormat, ChecksumModelAndFields)
{
    // Day byte 0xC1: year bits 3, day 01. From 2024 the year steps back to 2023.
    const StatusDecode d = decode(old_status(85, 0xC1, 300));
    ASSERT_TRUE(d.recognised);
    EXPECT_TRUE(d.old_format);
    EXPECT_EQ(d.ident.type_code, 55);
    EXPECT_EQ(d.view.pantype.text, "Teplota ANALOG,Hesta-model");
    EXPECT_EQ(d.view.pansn.text, "12345");
    EXPECT_EQ(d.view.window_title, "VORLAN ANALOG12345");
    EXPECT_EQ(d.view.Panmisname.text, q("Nedostupný pre tento model"));
    EXPECT_EQ(d.view.panmisname2.text, q("Nedostupný pre tento model"));
    EXPECT_EQ(d.view.panbat.text, "----");
    EXPECT_EQ(d.view.BevelHumi.visible, false);
    EXPECT_EQ(d.view.PanTime.text, "1.3.2023 10:45:30");
    EXPECT_TRUE(d.clock_valid);
    EXPECT_EQ(d.view.panptr.text, "300");
    EXPECT_EQ(d.status.record_pointer, 300);
    EXPECT_EQ(d.view.PanPeriod.text, "10");
    EXPECT_EQ(d.view.CHKmission.checked, true);
    EXPECT_EQ(d.view.CHKroll.checked, true);
    EXPECT_EQ(d.status.change_threshold, 32);
    EXPECT_FALSE(d.pointer_tip);
    // Same year bits as the computer's year: no step back; tens of days from bits 4..5.
    EXPECT_EQ(decode(old_status(85, 0x29, 300)).view.PanTime.text, "29.3.2024 10:45:30");

    EXPECT_FALSE(decode(old_status(85, 0xC1, 300, false)).recognised);
    EXPECT_FALSE(decode(old_status(86, 0xC1, 300)).recognised); // model 56 is unknown
    EXPECT_FALSE(decode(old_status(20, 0xC1, 300)).recognised); // below 30
    EXPECT_TRUE(decode(old_status(85, 0x01, 5401)).pointer_tip);
    EXPECT_FALSE(decode(old_status(85, 0x01, 5400)).pointer_tip);
    // A BCD time that is no time is shown as "Error" and not compared.
    Reply bad = old_status(85, 0x01, 300);
    bad.u8(5 + 7, 0x25);
    int sum = 0;
    for (int i = 0; i < 22; ++i)
        sum += bad.view()[5 + i];
    bad.u8(5 + 22, sum & 0xFF);
    const StatusDecode b = decode(bad);
    ASSERT_TRUE(b.recognised);
    EXPECT_FALSE(b.clock_valid);
    EXPECT_EQ(b.view.PanTime.text, "Error");
}

TEST(DayNumber, BothWays)
{
    EXPECT_EQ(date_from_day_number(0), QDate(2000, 1, 1));
    EXPECT_EQ(date_from_day_number(-7), QDate(2000, 1, 1));
    EXPECT_EQ(date_from_day_number(59), QDate(2000, 2, 29));
    EXPECT_EQ(date_from_day_number(60), QDate(2000, 3, 1));
    EXPECT_EQ(date_from_day_number(366), QDate(2001, 1, 1));
    EXPECT_EQ(date_from_day_number(8826), QDate(2024, 3, 1));
    EXPECT_EQ(day_number_of(QDate(2024, 3, 1)), 8826);
    EXPECT_EQ(day_number_of(QDate(2000, 1, 1)), 0);
    EXPECT_EQ(day_number_of(QDate(2001, 1, 1)), 366);
    EXPECT_EQ(day_number_of(QDate(1999, 12, 31)), std::nullopt);
    EXPECT_EQ(day_number_of(QDate()), std::nullopt);
    for (int n : {1, 58, 1460, 1461, 9000, 30000})
        EXPECT_EQ(day_number_of(date_from_day_number(n)), n) << n;
    // No century rule: 2100 has a 29 February, which the real calendar lacks.
    const int feb28_2100 = *day_number_of(QDate(2100, 2, 28));
    EXPECT_EQ(day_number_of(QDate(2100, 3, 1)), feb28_2100 + 2);
    EXPECT_FALSE(date_from_day_number(feb28_2100 + 1).isValid());
    EXPECT_EQ(date_from_day_number(feb28_2100 + 2), QDate(2100, 3, 1));
    // The last day a 16-bit number reaches, and the one after it.
    const QDate last = date_from_day_number(65535);
    EXPECT_EQ(day_number_of(last), 65535);
    EXPECT_EQ(day_number_of(last.addDays(1)), std::nullopt);
}

TEST(StatusDecode, ClockPointerAndStartDelay)
{
    Reply r = status_reply(85, 29);
    r.u8(6, 60);
    DecodeInputs in = inputs();
    in.status.logger_time = QDateTime(QDate(2024, 2, 1), QTime(8, 0));
    StatusDecode d = decode(r, in);
    ASSERT_TRUE(d.recognised);
    EXPECT_EQ(d.view.PanTime.text, "Error");
    EXPECT_FALSE(d.clock_valid);
    EXPECT_EQ(d.status.logger_time, in.status.logger_time); // kept
    r.u8(6, 0).u8(7, 60);
    EXPECT_FALSE(decode(r).clock_valid);
    r.u8(7, 0).u8(8, 24);
    EXPECT_FALSE(decode(r).clock_valid);

    // Ring size 5201: 5202 is still a position, 5203 is not.
    d = decode(status_reply(85, 29).u16(11, 5202));
    EXPECT_EQ(d.view.panptr.text, "5202");
    EXPECT_EQ(d.status.record_pointer, 5202);
    d = decode(status_reply(85, 29).u16(11, 5203));
    EXPECT_EQ(d.view.panptr.text, "Error");
    EXPECT_EQ(d.status.record_pointer, -1);

    auto delay_text = [](int delay) {
        Reply s = status_reply(85, 29);
        s.u8(6, 0).u8(7, 0).u8(8, 10).u16(13, delay);
        return decode(s).view.PANdelay.text;
    };
    EXPECT_EQ(delay_text(0), "");
    EXPECT_EQ(delay_text(1), "1.3.2024 10:02");
    EXPECT_EQ(delay_text(32767), "24.3.2024 04:08");
    EXPECT_EQ(delay_text(32768), "");
}

TEST(StatusDecode, FlagsCorrectionsAndInterval)
{
    Reply r = status_reply(105, 44);
    r.u8(20, 0).u8(21, 1).u8(22, 0x83).u8(23, 0x03);
    StatusDecode d = decode(r);
    EXPECT_EQ(d.view.CHKroll.checked, false);
    EXPECT_EQ(d.view.CHKmission.checked, true);
    EXPECT_FLOAT_EQ(d.status.corr1, -3.0f / 16);
    EXPECT_FLOAT_EQ(d.status.corr2, 3.0f / 16);
    // Only types 99, 105 and 108 carry a second correction; on the others a
    // value left by an earlier logger must not reach the records (131 adds it).
    DecodeInputs after_105 = inputs();
    after_105.status.corr2 = 3.0f / 16;
    EXPECT_FLOAT_EQ(decode(status_reply(85, 29).u8(23, 0x03), after_105).status.corr2, 0.0f);
    EXPECT_FLOAT_EQ(decode(status_reply(131, 32).u8(23, 0x03), after_105).status.corr2, 0.0f);

    EXPECT_EQ(decode(status_reply(132, 47).u8(18, 60)).view.PanPeriod.text, "60");
    EXPECT_EQ(decode(status_reply(132, 47).u8(18, 60)).view.LBLperiodunit.text, "min");
    EXPECT_EQ(decode(status_reply(132, 47).u8(18, 61)).view.PanPeriod.text, "1");
    EXPECT_EQ(decode(status_reply(132, 47).u8(18, 61)).view.LBLperiodunit.text, "sek");
    // Other models show the byte as minutes, also above 60.
    EXPECT_EQ(decode(status_reply(85, 29).u8(18, 61)).view.PanPeriod.text, "61");
    EXPECT_EQ(decode(status_reply(85, 29).u8(18, 61)).view.LBLperiodunit.text, "min");
}

TEST(StatusDecode, BatteryRules)
{
    auto battery = [](int type, std::size_t length, int raw) {
        return decode(status_reply(type, length).u8(15, raw)).view.panbat.text.value_or("<unset>");
    };
    EXPECT_EQ(battery(131, 32, 105), "99 %");
    EXPECT_EQ(battery(131, 32, 104), "100 %");
    EXPECT_EQ(battery(131, 32, 140), "0 %");
    EXPECT_EQ(battery(85, 29, 20), "100%");
    EXPECT_EQ(battery(85, 29, 21), "Error");
    // 81 / 30 is 2.7 V exactly: not below 2.7, so white.
    const StatusDecode at = decode(status_reply(128, 29).u8(15, 81));
    EXPECT_EQ(at.view.panbat.text, "2,7 V");
    EXPECT_EQ(at.view.panbat.color, QColor(Qt::white));
    EXPECT_EQ(decode(status_reply(128, 29).u8(15, 80)).view.panbat.color, QColor(Qt::red));
    // 108: 192 gives 6.99 V (red), 193 gives 7.02 V (white).
    EXPECT_EQ(decode(status_reply(108, 45).u8(15, 192)).view.panbat.color, QColor(Qt::red));
    EXPECT_EQ(decode(status_reply(108, 45).u8(15, 193)).view.panbat.color, QColor(Qt::white));
    const StatusDecode alk = decode(status_reply(96, 29).u8(15, 100));
    EXPECT_EQ(alk.view.panbat.hint, q("Napätie batérie musí byť nad 2,7V\nPoužívajte len alkalické batérie"));
    EXPECT_EQ(alk.view.LBLbat.text, q("Batéria:"));
    DecodeInputs diag = inputs();
    diag.diagnostic = true;
    EXPECT_EQ(decode(status_reply(96, 29).u8(15, 100), diag).view.LBLbat.text, q("Batéria: 100"));
}

TEST(StatusDecode, LimitsOfType101)
{
    const StatusDecode d = decode(status_reply(101, 42).u8(23, 0xF6).u8(24, 127));
    EXPECT_EQ(d.view.Hranice.visible, true);
    EXPECT_EQ(d.view.LBLlo.text, q("Siréna"));
    EXPECT_EQ(d.view.panLo.text, "-10");
    EXPECT_EQ(d.view.panLo.hint, q("Zapne sirénu pri teplote nad"));
    EXPECT_EQ(d.view.panLo.visible, true);
    EXPECT_EQ(d.view.PanHI.visible, false);
    EXPECT_EQ(d.view.LBLhi.visible, false);
    const StatusDecode e = decode(status_reply(101, 42).u8(23, 127).u8(24, 30));
    EXPECT_EQ(e.view.LBLhi.text, "Teploty nad");
    EXPECT_EQ(e.view.PanHI.text, "30");
    EXPECT_EQ(e.view.PanHI.hint, q("Zapisuje len ak sú teploty nad hodnotu"));
    EXPECT_EQ(e.view.panLo.visible, false);
}

TEST(NameBlock, SumAndTrailingBlanks)
{
    Reply r(22);
    const char name[] = "MISIA1          ";
    int sum = 0;
    for (int i = 0; i < 16; ++i) {
        r.u8(5 + i, name[i]);
        sum += name[i];
    }
    r.u8(21, sum & 0xFF);
    EXPECT_EQ(decode_name_block(r.view()), "MISIA1");
    r.u8(21, (sum + 1) & 0xFF);
    EXPECT_EQ(decode_name_block(r.view()), std::nullopt);
    EXPECT_EQ(decode_name_block(Reply(21).view()), std::nullopt);
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

TEST(StatusDecode, CaptionsComeBackAsTheLanguageFileGaveThem)
{
    vxtest::TempHome home;
    home.write("vorlan.lng",
               "[EN]\r\nLABEL2=Battery:\r\nLABEL6=Humidity:\r\nLABEL11=deg C\r\nLABEL24=minutes\r\n"
               "LABEL32=Low\r\nHINT19=Fahrenheit\r\nHINT30=On change\r\n");
    Language lang;
    lang.build_language_tables(home.dir(), "EN");
    DecodeInputs in = inputs();
    in.lang = &lang;
    const StatusView v = decode(status_reply(85, 29), in).view;
    const std::optional<QString> shown[] = {v.LBLbat.text,        v.LBLhumi.text, v.LBLunit1.text,
                                            v.LBLperiodunit.text, v.LBLlo.text,   v.PanTempFahren.hint,
                                            v.PanGrad.hint};
    const char* expected[] = {"Battery:", "Humidity:", "deg C", "minutes", "Low", "Fahrenheit", "On change"};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(shown[i], QString(expected[i])) << i;
}

TEST(StatusDecode, ReplyTooShortForLiveValuesLeavesTheLivePanelsAlone)
{
    // 100 and 106 need 44 bytes for their live values, 133 needs 45.
    for (const auto& [type, length] : {std::pair{100, 43}, std::pair{106, 43}, std::pair{133, 44}}) {
        const StatusDecode d = decode(status_reply(type, std::size_t(length)));
        EXPECT_TRUE(d.recognised && d.view.PanTempFahren == ControlView{} && d.view.pantemp == ControlView{})
            << type;
    }
}

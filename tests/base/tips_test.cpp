#include "base/language.h"
#include "base/tips.h"
#include "common/temp_home.h"

#include <QMap>
#include <QSet>
#include <gtest/gtest.h>

using namespace vx;

namespace
{

struct TipsFixture : ::testing::Test {
    vxtest::TempHome home;
    Tips tips;
    QStringList shown;

    TipsFixture()
    {
        tips.attach(home.dir(), nullptr);
        tips.sink = [this](const QString& t) { shown.append(t); };
    }
};

const QByteArray tips_file = "Tipy programu\r\n"
                             "[DAY000]\r\n"
                             "Prvy tip\r\n"
                             "druhy riadok\r\n"
                             "[DAY001]\r\n"
                             "Stla\xE8te F5\r\n"
                             "[DAY002]\r\n"
                             "Tret\xED\r\n"
                             "[TABACTUAL]\r\n"
                             "Aktu\xE1lne hodnoty\r\n"
                             "pozri klavesu [F5]\r\n"
                             "toto sa neukaze\r\n"
                             "[tabgrad]\r\n"
                             "maly nazov\r\n"
                             "[OPENBASE]\r\n"
                             "Databaza\r\n"
                             "\r\n"
                             "koniec\r\n";

} // namespace

TEST(TipNames, AtLeastThreeDigits)
{
    EXPECT_EQ(Tips::day_tip_name(0), "DAY000");
    EXPECT_EQ(Tips::day_tip_name(7), "DAY007");
    EXPECT_EQ(Tips::day_tip_name(42), "DAY042");
    EXPECT_EQ(Tips::day_tip_name(1234), "DAY1234");
}

TEST_F(TipsFixture, CountsDayTipsAndPicksOneOfThem)
{
    home.write("vntip.tip", tips_file);
    EXPECT_EQ(tips.count_day_tips(), 3);
    EXPECT_EQ(tips.day_count, 3);
    const QMap<QString, QString> bodies = {{"DAY000", "Prvy tip\ndruhy riadok"},
                                           {"DAY001", QString::fromUtf8("Stlačte F5")},
                                           {"DAY002", QString::fromUtf8("Tretí")}};
    QSet<QString> names;
    for (int i = 0; i < 300; ++i) {
        const QString previous = tips.last_shown;
        const qsizetype before = shown.size();
        const QString name = tips.random_day_tip();
        names.insert(name);
        ASSERT_TRUE(bodies.contains(name)) << name.toStdString();
        if (name == previous) {
            EXPECT_EQ(shown.size(), before);
        } else {
            ASSERT_EQ(shown.size(), before + 1);
            EXPECT_EQ(shown.last(), bodies[name]);
        }
    }
    EXPECT_EQ(names, QSet<QString>({"DAY000", "DAY001", "DAY002"}));
}

TEST_F(TipsFixture, NoFileMeansNoDayTipsAndTheMissingFileText)
{
    EXPECT_EQ(tips.count_day_tips(), 0);
    EXPECT_EQ(tips.random_day_tip(), "DAY000");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QString::fromUtf8("Neexistuje súbor tipov <VNTIP.TIP>"));
    tips.show_tip("DAY000");
    EXPECT_EQ(shown.size(), 1);
    tips.show_tip("TABACTUAL");
    EXPECT_EQ(shown.size(), 2);
}

TEST_F(TipsFixture, MissingFileTextComesFromTheLanguageTable)
{
    home.write("vorlan.lng", "[EN]\r\nMESS20=No tips file\r\n");
    Language lang;
    lang.build_language_tables(home.dir(), "EN");
    tips.attach(home.dir() + "elsewhere/", &lang);
    tips.show_tip("TABGLOBAL");
    EXPECT_EQ(shown, QStringList({"No tips file"}));
}

TEST_F(TipsFixture, TipEndsAtABracketAndTheSameTipIsShownOnce)
{
    home.write("vntip.tip", tips_file);
    tips.show_tip("TABACTUAL");
    tips.show_tip("TABACTUAL");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QString::fromUtf8("Aktuálne hodnoty"));
    tips.show_tip("OPENBASE");
    EXPECT_EQ(shown.last(), "Databaza\n\nkoniec");
    tips.show_tip("TABACTUAL");
    EXPECT_EQ(shown.size(), 3);
}

TEST_F(TipsFixture, UnknownTipLeavesTheWindowUntilAnotherTipWasShown)
{
    home.write("vntip.tip", tips_file);
    tips.show_tip("OPENBASE");
    // Names match case-sensitively: "[tabgrad]" is not TABGRAD.
    tips.show_tip("TABGRAD");
    tips.show_tip("TABGRAD");
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(tips.last_shown, "TABGRAD");
    tips.show_tip("DAY002");
    tips.show_tip("TABGRAD");
    EXPECT_EQ(shown, QStringList({"Databaza\n\nkoniec", QString::fromUtf8("Tretí")}));
}

TEST_F(TipsFixture, SwitchedOffShowsNothing)
{
    home.write("vntip.tip", tips_file);
    tips.showtip = false;
    tips.show_tip("TABACTUAL");
    tips.random_day_tip();
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(tips.last_shown, "");
    tips.showtip = true;
    tips.show_tip("TABACTUAL");
    EXPECT_EQ(shown.size(), 1);
}

// The tips file "vntip.tip": day and context tips, each ending at the next bracket, the same tip
// shown once in a row, and the tips file of the language in use.
#include "base/language.h"
#include "base/tips.h"
#include "common/temp_home.h"

#include <QFile>
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
        home.write("vntip.tip",
                   "Tipy programu\r\n[DAY000]\r\nPrvy tip\r\ndruhy riadok\r\n[DAY001]\r\nStla\xE8te F5\r\n"
                   "[DAY002]\r\nTret\xED\r\n[TABACTUAL]\r\nAktu\xE1lne hodnoty\r\npozri klavesu [F5]\r\n"
                   "toto sa neukaze\r\n[TABGLOBAL]\r\nObecne\r\n[tabgrad]\r\nmaly "
                   "nazov\r\n[OPENBASE]\r\nDatabaza\r\n\r\nkoniec\r\n");
    }
};

} // namespace

TEST_F(TipsFixture, CountsDayTipsAndPicksEachOfThemAtRandom)
{
    EXPECT_EQ(tips.count_day_tips(), 3);
    const QStringList bodies = {"Prvy tip\ndruhy riadok", QString::fromUtf8("Stlačte F5"),
                                QString::fromUtf8("Tretí")};
    QSet<QString> names;
    for (int i = 0; i < 300; ++i) {
        const QString previous = tips.last_shown;
        const qsizetype before = shown.size();
        const QString name = tips.random_day_tip();
        names.insert(name);
        ASSERT_TRUE(name.startsWith("DAY00") && name.mid(5).toInt() < 3) << name.toStdString();
        ASSERT_EQ(shown.size(), before + (name == previous ? 0 : 1)); // the same tip is not shown again
        EXPECT_EQ(shown.last(), bodies[name.mid(5).toInt()]);
    }
    EXPECT_EQ(names.size(), 3);
}

TEST_F(TipsFixture, ContextTipsEndAtABracketMatchCaseAndShowOnce)
{
    for (const char* name :
         {"TABACTUAL", "TABACTUAL", "OPENBASE", "TABGRAD", "TABGRAD", "TABACTUAL", "DAY002", "TABGRAD"})
        tips.show_tip(name);
    // "[tabgrad]" is not TABGRAD: an unknown tip leaves the window as it was.
    EXPECT_EQ(shown, (QStringList{QString::fromUtf8("Aktuálne hodnoty"), "Databaza\n\nkoniec",
                                  QString::fromUtf8("Aktuálne hodnoty"), QString::fromUtf8("Tretí")}));
    EXPECT_EQ(tips.last_shown, "TABGRAD");
    // Switched off, nothing is shown.
    tips.showtip = false;
    tips.show_tip("OPENBASE");
    tips.random_day_tip();
    EXPECT_EQ(shown.size(), 4);
}

TEST_F(TipsFixture, MissingFileShowsItsTextFromTheLanguageTable)
{
    tips.attach(home.dir() + "elsewhere/", nullptr);
    EXPECT_EQ(tips.count_day_tips(), 0);
    EXPECT_EQ(tips.random_day_tip(), "DAY000");
    tips.show_tip("DAY000"); // the same name again: nothing new
    EXPECT_EQ(shown, QStringList{QString::fromUtf8("Neexistuje súbor tipov <VNTIP.TIP>")});
    // A language section reads the tips of its own file, or says it has none in its language.
    home.write("vorlan.lng", "[EN]\r\nMESS20=No tips file\r\n");
    Language lang;
    lang.build_language_tables(home.dir(), "EN");
    tips.attach(home.dir(), &lang);
    tips.show_tip("TABGLOBAL");
    home.write("vntip_en.tip", "[TABGLOBAL]\r\nClock and serial\r\n");
    tips.language_changed();
    // Back to the built-in Slovak: its tips, the one shown included.
    lang.build_language_tables(home.dir(), "SLOVAK");
    tips.language_changed();
    EXPECT_EQ(shown.mid(1), QStringList({"No tips file", "Clock and serial", "Obecne"}));
    EXPECT_EQ(tips.day_count, 3);
}

TEST(ShippedTips, EveryTipTheProgramAsksForIsThereInEachLanguage)
{
    for (auto [file, word] : {std::pair{"vntip.tip", "zväčšíte"}, {"vntip_english.tip", "Zoom"}}) {
        SCOPED_TRACE(file);
        vxtest::TempHome home;
        QFile shipped(QStringLiteral(VORLANIX_SHIPPED_DATA "/") + file);
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
        home.write("vntip.tip", shipped.readAll());
        Tips tips;
        tips.attach(home.dir(), nullptr);
        QString shown;
        tips.sink = [&](const QString& text) { shown = text; };
        EXPECT_EQ(tips.count_day_tips(), 6);
        for (const char* name :
             {"DAY000", "DAY003", "DAY005", "TABGLOBAL", "TABACTUAL", "TABMISSION", "TABGRAD", "OPENBASE",
              "START MISSION", "DOWNLOADNUMREC", "ERRDEVPTROLDMODEL"}) {
            shown.clear();
            tips.show_tip(name);
            EXPECT_FALSE(shown.trimmed().isEmpty() || shown.contains('[') || shown.contains(QChar(0xFFFD)))
                << name;
        }
        tips.show_tip("DAY003");
        EXPECT_TRUE(shown.contains(QString::fromUtf8(word))) << shown.toStdString(); // read in code page 1250
    }
}

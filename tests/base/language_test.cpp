#include "base/language.h"
#include "common/temp_home.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(UnescapeText, OnlyLowerCaseRAndNAfterABackslash)
{
    EXPECT_EQ(unescape_text("A\\nB"), "A\r\nB");
    EXPECT_EQ(unescape_text("A\\rB"), "A\r\nB");
    EXPECT_EQ(unescape_text("A\\tB"), "A\\tB");
    EXPECT_EQ(unescape_text("A\\NB"), "A\\NB");
    EXPECT_EQ(unescape_text("AB\\"), "AB\\");
    EXPECT_EQ(unescape_text("\\"), "\\");
    // The scan goes left to right: the first backslash escapes nothing, the
    // second pairs with the n.
    EXPECT_EQ(unescape_text("\\\\n"), "\\\r\n");
    EXPECT_EQ(unescape_text("\\n\\n"), "\r\n\r\n");
    EXPECT_EQ(unescape_text(""), "");
}

TEST(LanguageTable, BuiltInTextsWithoutALanguageFile)
{
    vxtest::TempHome home;
    Language lang;
    lang.build_language_tables(home.dir(), "SLOVAK");
    EXPECT_FALSE(lang.language_loaded);
    EXPECT_EQ(lang.mess(1),
              QString::fromUtf8("Nie je možné otvoriť COM port\r\n"
                                "Nastavte správny COMPORT v MENU Služby - nastavenia programu"));
    EXPECT_EQ(lang.mess(18), QString::fromUtf8("V zapisovači sú nové záznamy\r\npočet je: "));
    EXPECT_EQ(lang.mess(19), QString::fromUtf8("\r\nŽeláte si ich teraz preniesť ?\r\n\r\n"
                                               "záznamy môžete kedykoľvek preniesť tlačidlom F5"));
    EXPECT_EQ(lang.mess(20), QString::fromUtf8("Neexistuje súbor tipov <VNTIP.TIP>"));
    EXPECT_EQ(lang.mess(26), QString::fromUtf8("Max pocet zázanmov,pretečenie"));
    EXPECT_EQ(lang.mess(32), QString::fromUtf8("---- POZOR ----\r\nOdštartovaním misie\r\nZMAŽETE údaje v "
                                               "zapisovači\r\n\r\nŽeláte si pokračovať ??"));
    EXPECT_EQ(lang.mess(40), QString::fromUtf8("neexistuje súbor <muster.htm> \r\nPreinštalujte program\r\n"
                                               "-alebo kontaktujte dodávateľa"));
    EXPECT_EQ(lang.mess(46), QString::fromUtf8("&Zrušiť"));
    EXPECT_EQ(lang.hint(100),
              QString::fromUtf8("<Posuvanie Grafu> Ctrl+Lavé tlačidlo myši\r\n<Zvačšovanie> "
                                "Shift + ľavé tlačidlo\r\n<Návrat na celý graf> Ctrl + klik"));
    EXPECT_EQ(lang.mess(107), QString::fromUtf8("Teplota/vlhkosť\r\nsnímač teploty DS182x\r\n"
                                                "Snímač vlhkosti PHILIPS\r\nZáznamov:000"));
    EXPECT_EQ(lang.mess(113), QString::fromUtf8("Zapisovač PRUD:0..20mA \r\n+ Impulzny REED contact vstup\r\n"
                                                "BEZ Zobrazovača\r\nZáznamov 8000"));
    // Entries without a built-in text are empty.
    EXPECT_EQ(lang.mess(4), "");
    EXPECT_EQ(lang.mess(12), "");
    EXPECT_EQ(lang.mess(114), "");
    EXPECT_EQ(lang.capt(1), "");
    EXPECT_EQ(lang.hint(1), "");
    EXPECT_EQ(lang.label(7), "");
    EXPECT_EQ(lang.menu(40), "");
    EXPECT_EQ(lang.mess(0), "");
    EXPECT_EQ(lang.mess(201), "");
    EXPECT_EQ(builtin_text("MESS20"), lang.mess(20));
    EXPECT_EQ(builtin_text("CAPT1"), "");
}

TEST(LanguageTable, EmptyOrMissingSectionKeepsTheBuiltInTexts)
{
    vxtest::TempHome home;
    home.write("vorlan.lng", "[SLOVAK]\r\n; nothing here\r\n\r\n[ENGLISH]\r\nMESS1=Port error\r\n");
    Language lang;
    lang.build_language_tables(home.dir(), "SLOVAK");
    EXPECT_FALSE(lang.language_loaded);
    EXPECT_EQ(lang.mess(3), QString::fromUtf8("Prístroj nekomunikuje, prekontrolujte pripojenie, "
                                              "nastavte správny COM port"));
    EXPECT_EQ(lang.capt(1), "");
    lang.build_language_tables(home.dir(), "GERMAN");
    EXPECT_FALSE(lang.language_loaded);
    EXPECT_EQ(lang.mess(5), QString::fromUtf8("Pripojte prístroj/zapisovač na COMport"));
}

TEST(LanguageTable, PresentSectionReplacesTheWholeTable)
{
    vxtest::TempHome home;
    home.write("vorlan.lng", "[english]\r\nMESS1=Cannot open the port\\nPick another one\r\n");
    Language lang;
    lang.build_language_tables(home.dir(), "ENGLISH");
    EXPECT_TRUE(lang.language_loaded);
    EXPECT_EQ(lang.mess(1), "Cannot open the port\r\nPick another one");
    EXPECT_EQ(lang.capt(1), "CAP1");
    EXPECT_EQ(lang.hint(1), "HINT1");
    EXPECT_EQ(lang.label(7), "LABEL7");
    EXPECT_EQ(lang.menu(47), "MENU47");
    EXPECT_EQ(lang.capt(200), "CAP200");
    // Built-in texts are gone too.
    EXPECT_EQ(lang.mess(2), "MESS2");
    EXPECT_EQ(lang.hint(100), "HINT100");
    EXPECT_EQ(lang.mess(113), "MESS113");
}

TEST(LanguageTable, EscapesOnlyInHintsAndMessagesAndTextsInCodePage1250)
{
    vxtest::TempHome home;
    home.write("vorlan.lng", "[SK]\r\n"
                             "MESS5=A\\nB\r\n"
                             "MESS6=A\\tB\r\n"
                             "MESS7=ends with\\\r\n"
                             "HINT3=one\\rtwo\r\n"
                             "CAPT2=Zru\x9Ai\x9D\\n\r\n"
                             "LABEL2=\xC8\x61s\\r\r\n"
                             "MENU2=a\\nb\r\n"
                             "MESS8=\r\n");
    Language lang;
    lang.build_language_tables(home.dir(), "SK");
    ASSERT_TRUE(lang.language_loaded);
    EXPECT_EQ(lang.mess(5), "A\r\nB");
    EXPECT_EQ(lang.mess(6), "A\\tB");
    EXPECT_EQ(lang.mess(7), "ends with\\");
    EXPECT_EQ(lang.hint(3), "one\r\ntwo");
    EXPECT_EQ(lang.capt(2), QString::fromUtf8("Zrušiť\\n"));
    EXPECT_EQ(lang.label(2), QString::fromUtf8("Čas\\r"));
    EXPECT_EQ(lang.menu(2), "a\\nb");
    // A key that is present but empty is an empty text, not its name.
    EXPECT_EQ(lang.mess(8), "");
}

// Language texts: the escapes of hints and messages, and code page 1250 (the
// table built from the language files: tests/app/language_file_test.cpp).
#include "base/code_page.h"
#include "base/language.h"
#include "common/temp_home.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(UnescapeText, OnlyLowerCaseRAndNAfterABackslash)
{
    // Left to right: in "\\\\n" the first backslash escapes nothing, the second pairs with the n.
    const std::pair<const char*, const char*> cases[] = {
        {"A\\nB", "A\r\nB"}, {"A\\rB", "A\r\nB"}, {"A\\tB", "A\\tB"}, {"A\\NB", "A\\NB"},
        {"AB\\", "AB\\"},    {"\\", "\\"},        {"", ""},           {"\\n\\n", "\r\n\r\n"},
        {"\\\\n", "\\\r\n"}};
    for (auto [in, out] : cases)
        EXPECT_EQ(unescape_text(in), out) << in;
}

TEST(LanguageTable, EscapesOnlyInHintsAndMessagesQuotesKeepBlanksAndTextsInCodePage1250)
{
    vxtest::TempHome home;
    home.write("vorlan.lng", "[SK]\r\nMESS5=A\\nB\r\nHINT3=one\\rtwo\r\nCAPT2=Zru\x9Ai\x9D\\n\r\n"
                             "LABEL2=\xC8\x61s\\r\r\nMENU2=a\\nb\r\nMESS8=\r\n"
                             "LABEL3=\"Typ: \"\r\nMENU3=\"\r\nMESS18=\"pocet:\\n \"\r\n");
    Language lang;
    lang.build_language_tables(home.dir(), "SK");
    ASSERT_TRUE(lang.language_loaded);
    EXPECT_EQ(lang.mess(5), "A\r\nB");
    EXPECT_EQ(lang.hint(3), "one\r\ntwo");
    EXPECT_EQ(lang.capt(2), QString::fromUtf8("Zrušiť\\n"));
    EXPECT_EQ(lang.label(2), QString::fromUtf8("Čas\\r"));
    EXPECT_EQ(lang.menu(2), "a\\nb");
    EXPECT_EQ(lang.mess(8), ""); // present but empty is an empty text, not its key
    EXPECT_EQ(lang.label(3), "Typ: ");
    EXPECT_EQ(lang.menu(3), "\"");
    EXPECT_EQ(lang.mess(18), QString("pocet:\r\n "));
}

TEST(Cp1250, SlovakLettersRoundTripAndUnmappableCharactersBecomeQuestionMarks)
{
    // "Nastaviť čas" in code page 1250: ť = 0x9D, č = 0xE8.
    const QByteArray bytes("Nastavi\x9D \xE8"
                           "as");
    EXPECT_EQ(from_cp1250(bytes), QString::fromUtf8("Nastaviť čas"));
    EXPECT_EQ(to_cp1250(QString::fromUtf8("Nastaviť čas")), bytes);
    EXPECT_EQ(to_cp1250(QString::fromUtf8("a€b漢c")), QByteArray("a\x80"
                                                                 "b?c"));
    EXPECT_EQ(from_cp1250(QByteArray("x\x98y")), QString::fromUtf8("x\uFFFDy")); // 0x98 is undefined

    // Pieces appended read every byte as the whole text does: Š ť č ľ €, NUL,
    // no-break space, the undefined 0x98, ˙.
    QString text = QString::fromUtf8("č");
    append_cp1250(text, QByteArray("\x8A\x9D\xE8\xBE\x80", 5));
    append_cp1250(text, QByteArray("A\x00\xA0\x98\xFF", 5));
    EXPECT_EQ(text, QString::fromUtf16(u"čŠťčľ€A\u0000\u00A0\uFFFD\u02D9", 11));
    QByteArray all(256, 0);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    QString appended;
    append_cp1250(appended, all);
    EXPECT_EQ(appended, from_cp1250(all));
}

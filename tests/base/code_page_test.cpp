#include "base/code_page.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace vx;

TEST(Cp1250, SlovakLettersRoundTrip)
{
    // "Nastaviť čas" in code page 1250: ť = 0x9D, č = 0xE8.
    const QByteArray bytes("Nastavi\x9D \xE8"
                           "as");
    const QString text = from_cp1250(bytes);
    EXPECT_EQ(text, QString::fromUtf8("Nastaviť čas"));
    EXPECT_EQ(to_cp1250(text), bytes);
}

TEST(Cp1250, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(to_cp1250(QString::fromUtf8("a€b漢c")), QByteArray("a\x80"
                                                                 "b?c"));
    // 0x98 is undefined in code page 1250.
    EXPECT_EQ(from_cp1250(QByteArray("x\x98y")), QString::fromUtf8("x\uFFFDy"));
}

TEST(Cp1250, AppendedPiecesReadEveryByteAsTheCodePageDoes)
{
    QString text = QString::fromUtf8("TEXT FILE:č\n");
    append_cp1250(text, QByteArray("\x8A\x9D\xE8\xBE\x80", 5)); // Š ť č ľ €
    append_cp1250(text, QByteArray("A\x00\xA0\x98\xFF", 5));    // NUL, no-break space, undefined 0x98, ˙
    using namespace std::string_view_literals;
    const std::u16string_view expected = u"TEXT FILE:č\nŠťčľ€A\u0000\u00A0\uFFFD\u02D9"sv;
    EXPECT_EQ(text, QString::fromUtf16(expected.data(), qsizetype(expected.size())));
    // Byte for byte the same reading as the whole-text conversion.
    QByteArray all(256, 0);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    QString appended;
    append_cp1250(appended, all);
    EXPECT_EQ(appended, from_cp1250(all));
}

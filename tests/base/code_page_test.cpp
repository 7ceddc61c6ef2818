#include "base/code_page.h"

#include <gtest/gtest.h>

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

// Names and values shown on a terminal: control characters written out.
#include "base/printable.h"

#include <gtest/gtest.h>

TEST(Printable, ControlCharactersAreWrittenOutTheRestStays)
{
    const struct {
        QString text, shown;
    } cases[] = {
        {"MISIA 1 \\ č", "MISIA 1 \\ č"},
        {"\x1b]0;title\a\x1b[31m", "\\e]0;title\\a\\e[31m"},
        {"a\tb\nc\rd\be\vf\fg", "a\\tb\\nc\\rd\\be\\vf\\fg"},
        {QString("x") + QChar(0) + QChar(0x7F) + QChar(0x9B) + QChar(0xA0), "x\\000\\177\\233\u00A0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vx::printable(c.text), c.shown) << c.shown.toStdString();
}

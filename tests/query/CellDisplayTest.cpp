// The short forms of long values in grid cells.
#include "CellDisplay.h"

#include <QtPrinting.h>
#include <gtest/gtest.h>
#include <string>

using namespace velmora::query;

TEST(ShortText, ShowsShortTextAsItIsOnOneLine) {
    EXPECT_EQ(ShortText(""), "");
    EXPECT_EQ(ShortText("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(ShortText("a\r\nb\nc\rd\te"), QString::fromUtf8("a\xC2\xB6"
                                                              "b\xC2\xB6"
                                                              "c\xC2\xB6"
                                                              "d e"));
}

TEST(ShortText, CutsLongTextAtACharacterNotAByte) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "\xE6\x97\xA5"; // three bytes each
    const QString shown = ShortText(text);
    EXPECT_EQ(shown.size(), ShownTextCharacters + 1);
    EXPECT_EQ(shown.left(ShownTextCharacters), QString(ShownTextCharacters, QChar(0x65E5)));
    EXPECT_EQ(shown.back(), QChar(0x2026));
    EXPECT_EQ(ShortText(std::string(ShownTextCharacters, 'x')).size(), ShownTextCharacters);
}

TEST(ShortBinary, ShowsShortValuesWholeAndLongOnesWithTheirSize) {
    EXPECT_EQ(ShortBinary(""), "0x");
    EXPECT_EQ(ShortBinary(std::string("\x00\xFF\x10", 3)), "0x00FF10");
    const std::string long_value(4096, '\xAB');
    EXPECT_EQ(ShortBinary(long_value), QString("0x") + QString("AB").repeated(ShownBinaryBytes) +
                                           QChar(0x2026) + " (4096 bytes)");
}

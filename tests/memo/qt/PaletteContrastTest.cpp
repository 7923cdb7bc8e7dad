// Fixed text colours kept on light paper and made readable on dark paper, hue for hue.
#include "PaletteContrast.h"

#include <gtest/gtest.h>

namespace {

// The fixed colours the program's texts use: maroon, green, olive, gray, teal, red, blue,
// fuchsia, purple, black.
const QColor FixedInks[] = {{128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {128, 128, 128}, {0, 128, 128},
                            {255, 0, 0}, {0, 0, 255}, {255, 0, 255}, {128, 0, 128},   {0, 0, 0}};
const QColor DarkPapers[] = {{0, 0, 0}, {35, 38, 41}, {53, 53, 53}, {30, 30, 46}};
const QColor LightPapers[] = {{255, 255, 255}, {239, 239, 239}, {192, 192, 192}};

TEST(PaletteContrast, MeasuresAsTheGuidelinesDo) {
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0, 0, 255), Qt::white), 8.59, 0.01);
    EXPECT_NEAR(ContrastRatio(QColor(118, 118, 118), Qt::white), 4.54, 0.01);
    EXPECT_TRUE(IsDarkPaper(QColor(53, 53, 53)));
    EXPECT_FALSE(IsDarkPaper(QColor(192, 192, 192)));
}

TEST(PaletteContrast, FixedInksStayExactlyAsTheyAreOnLightPaper) {
    for (const QColor& paper : LightPapers)
        for (const QColor& ink : FixedInks)
            EXPECT_EQ(FixedInkOn(ink, paper), ink) << ink.name().toStdString();
}

TEST(PaletteContrast, OnDarkPaperEachInkReadsAndKeepsItsHue) {
    for (const QColor& paper : DarkPapers)
        for (const QColor& ink : FixedInks) {
            const QColor shown = FixedInkOn(ink, paper);
            const std::string what = ink.name().toStdString() + " on " + paper.name().toStdString();
            EXPECT_GE(ContrastRatio(shown, paper), ReadableContrast) << what;
            EXPECT_GE(RelativeLuminance(shown), RelativeLuminance(ink)) << what;
            if (ink.hslHue() < 0) { // black and gray stay grey
                EXPECT_EQ(shown.hslSaturation(), 0) << what;
            } else {
                EXPECT_NEAR(shown.hslHue(), ink.hslHue(), 2) << what;
            }
        }
}

TEST(PaletteContrast, AnInkThatAlreadyReadsOnDarkPaperIsKept) {
    const QColor yellow(255, 255, 0);
    EXPECT_EQ(FixedInkOn(yellow, QColor(35, 38, 41)), yellow);
}

TEST(PaletteContrast, DifferentInksStayDifferentOnDarkPaper) {
    const QColor paper(35, 38, 41);
    for (const QColor& a : FixedInks)
        for (const QColor& b : FixedInks)
            if (a != b && a.hslHue() != b.hslHue()) {
                EXPECT_NE(FixedInkOn(a, paper), FixedInkOn(b, paper))
                    << a.name().toStdString() << " " << b.name().toStdString();
            }
}

} // namespace

#include "PaletteContrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double Channel) {
    return Channel <= 0.04045 ? Channel / 12.92 : std::pow((Channel + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor& Color) {
    const QColor rgb = Color.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) +
           0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& First, const QColor& Second) {
    const double a = RelativeLuminance(First);
    const double b = RelativeLuminance(Second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

bool IsDarkPaper(const QColor& Paper) {
    return ContrastRatio(Paper, Qt::white) > ContrastRatio(Paper, Qt::black);
}

QColor FixedInkOn(const QColor& Ink, const QColor& Paper) {
    if (!IsDarkPaper(Paper))
        return Ink;
    const QColor hsl = Ink.toHsl();
    QColor lighter = Ink;
    for (int lightness = hsl.lightness();
         ContrastRatio(lighter, Paper) < ReadableContrast && lightness < 255;) {
        lightness = std::min(255, lightness + 4);
        lighter = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness, Ink.alpha());
    }
    return lighter.toRgb();
}

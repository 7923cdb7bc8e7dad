#include "DesktopFont.h"

#include <QApplication>
#include <QFont>
#include <algorithm>
#include <cmath>

namespace {

constexpr double UsualPoints = 9.0;

} // namespace

double DesktopFontScale() {
    const QFont desktop = QApplication::font();
    // A font given in pixels is read at 96 dots per inch, where a pixel is three quarters of a
    // point.
    const double points =
        desktop.pointSizeF() > 0 ? desktop.pointSizeF() : desktop.pixelSize() * 0.75;
    return points > 0 ? points / UsualPoints : 1.0;
}

int DesktopScaled(int Pixels) {
    return std::max(1, static_cast<int>(std::lround(Pixels * DesktopFontScale())));
}

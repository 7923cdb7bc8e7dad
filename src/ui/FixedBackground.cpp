#include "FixedBackground.h"

#include "PaletteContrast.h"

#include <QEvent>
#include <QWidget>

namespace {

QPalette::ColorRole TextRoleOn(QPalette::ColorRole Background) {
    return Background == QPalette::Base ? QPalette::Text : QPalette::WindowText;
}

} // namespace

TFixedBackground::TFixedBackground(QWidget* Control, QPalette::ColorRole Role, const QColor& Color)
    : QObject(Control), FControl(Control), FRole(Role), FColor(Color) {
    Apply();
    Control->installEventFilter(this);
}

bool TFixedBackground::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FControl && !FApplying &&
        (Event->type() == QEvent::PaletteChange ||
         Event->type() == QEvent::ApplicationPaletteChange))
        Apply();
    return false;
}

// Only the background role is ever set on the control: every other colour, its text included,
// comes from the palette it inherits.
void TFixedBackground::Apply() {
    FApplying = true;
    FControl->setPalette(QPalette());
    const QColor text = FControl->palette().color(QPalette::Active, TextRoleOn(FRole));
    if (ContrastRatio(FColor, text) >= ReadableContrast) {
        QPalette fixed;
        fixed.setColor(FRole, FColor);
        FControl->setPalette(fixed);
    }
    FApplying = false;
}

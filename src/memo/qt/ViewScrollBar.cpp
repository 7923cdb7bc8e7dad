#include "ViewScrollBar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace memo {

TViewScrollBar::TViewScrollBar(Qt::Orientation Orientation, QWidget* Parent)
    : QScrollBar(Orientation, Parent) {}

TViewScrollBar::TLook TViewScrollBar::Look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return TLook{
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}

void TViewScrollBar::sliderChange(SliderChange Change) {
    const bool lookMayChange =
        Change != SliderRangeChange && Change != SliderValueChange && Change != SliderStepsChange;
    if (lookMayChange || Look() != FShown)
        QScrollBar::sliderChange(Change);
}

void TViewScrollBar::paintEvent(QPaintEvent* Event) {
    FShown = Look();
    QScrollBar::paintEvent(Event);
}

} // namespace memo

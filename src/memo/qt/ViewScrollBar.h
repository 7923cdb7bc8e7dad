#pragma once
// A scroll bar that is drawn again only when a change of its range, page or position changes what
// it shows. The editor sets the bar with every line added or removed; over a long text that moves
// the handle by less than a pixel, and drawing the whole bar would cost more than the edit.
#include <QScrollBar>

namespace memo {

class TViewScrollBar final : public QScrollBar {
public:
    explicit TViewScrollBar(Qt::Orientation Orientation, QWidget* Parent = nullptr);

protected:
    void sliderChange(SliderChange Change) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    // What a change of range, page or position can change in the bar's pixels.
    struct TLook {
        QRect Handle;
        bool AtMinimum = false;
        bool AtMaximum = false;
        bool operator==(const TLook&) const = default;
    };
    TLook Look() const;

    TLook FShown; // as the bar was last drawn
};

} // namespace memo

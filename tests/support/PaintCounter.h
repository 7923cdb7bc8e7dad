#pragma once
// Counts the paint events of a widget and of the widgets inside it when the counter is made.
#include <QEvent>
#include <QObject>
#include <QWidget>

class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* Widget) {
        Widget->installEventFilter(this);
        for (QWidget* child : Widget->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        Paints += Event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

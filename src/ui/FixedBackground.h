#pragma once
// A fixed background colour that a window gives one of its controls (a white grid, a silver
// status bar), kept only where the palette's own text colour reads on it. On a dark palette, whose
// text is light, the control keeps the palette's pair of background and text instead, so one of
// a pair is never forced against the other. Looked at again whenever the desktop's palette
// changes.
#include <QColor>
#include <QObject>
#include <QPalette>

class QWidget;

class TFixedBackground final : public QObject {
public:
    // Role is the background role (Base or Window); its text is Text or WindowText.
    TFixedBackground(QWidget* Control, QPalette::ColorRole Role, const QColor& Color);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Apply();

    QWidget* FControl;
    QPalette::ColorRole FRole;
    QColor FColor;
    bool FApplying = false;
};

#pragma once
// The caret the editor places: a bar that exists while the editor has the focus, blinks while it
// is shown, and is drawn over the view's pixels (never into them), inverting what lies below.
#include <QBasicTimer>
#include <QObject>
#include <QRect>
#include <functional>

class QPainter;

namespace memo {

class TEditCaret final : public QObject {
public:
    // Update asks for the area to be shown again.
    explicit TEditCaret(std::function<void(const QRect&)> Update);

    void Create(int Width, int Height);
    void Destroy();
    void Show();
    void Hide();
    void MoveTo(int X, int Y);

    bool Exists() const { return FExists; }
    // Shown and in the lit half of its blink.
    bool Lit() const { return FExists && FShown && FLit; }
    QRect Rect() const { return FRect; }
    void Paint(QPainter& Painter) const;

protected:
    void timerEvent(QTimerEvent* Event) override;

private:
    // A caret that moves or appears is lit at once and blinks from there.
    void RestartBlink();
    void Refresh() const { FUpdate(FRect); }

    std::function<void(const QRect&)> FUpdate;
    QBasicTimer FBlink;
    QRect FRect;
    bool FExists = false;
    bool FShown = false;
    bool FLit = false;
};

} // namespace memo

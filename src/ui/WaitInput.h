#pragma once
// The input the windows take while they wait for something that runs on (a server call, a print
// job): Escape and a press on a cancel control ask it to stop, menus open once the wait is shown
// (the windows then have every command but Cancel disabled), all other input is ignored and no
// window closes. So the work stays one step for the command that started it, and no second
// command starts meanwhile.
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

class TWaitInput final : public QObject {
public:
    explicit TWaitInput(std::function<void()> Cancel, QObject* Parent = nullptr);
    ~TWaitInput() override;

    // Input is taken from Start to Stop.
    void Start();
    void Stop();
    // Once the wait is shown, menus take input, so that the Cancel command can be chosen.
    void SetShown(bool Shown) { FShown = Shown; }
    // While input is taken, a press on the control (or inside it) asks to stop instead of doing
    // what the control does.
    void AddCancelControl(QWidget* Control);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool IsCancelControl(const QWidget* Widget) const;

    std::function<void()> FCancel;
    bool FStarted = false;
    bool FShown = false;
    QList<QPointer<QWidget>> FCancelControls;
};

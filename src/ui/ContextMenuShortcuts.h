#pragma once
// A key press is offered first to the context menus of the focused control and of its parents,
// and only then to the window's menu. Qt alone would find two enabled actions with one shortcut
// ambiguous and run neither; this filter settles it the way users expect: in the script editor
// its menu's Shift+F5 wins over the main menu's.
#include <QHash>
#include <QObject>
#include <QPointer>

class QAction;
class QKeyEvent;
class QMenu;
class QWidget;

class TContextMenuShortcuts final : public QObject {
    Q_OBJECT

public:
    explicit TContextMenuShortcuts(QObject* Parent);
    ~TContextMenuShortcuts() override;

    void Register(QWidget* Control, QMenu* Menu);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QAction* ActionFor(const QKeyEvent& Event) const;

    QHash<const QWidget*, QPointer<QMenu>> FMenus;
};

#pragma once
// The result pane's tabs: "Result 1" (the main grid on DataSource1) … "Result n", each later
// result set in a read-only grid of its own, and "Messages", everything the run said in the
// order it came. The tab bar shows only when a run brought more than the main grid holds.
#include "Ado.h"
#include "ScriptOutcome.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QPlainTextEdit;
class QStackedWidget;
class QTabBar;
class TDBGrid;

class TResultTabs final : public QWidget {
    Q_OBJECT

public:
    // Takes the main grid in as the first tab's page.
    TResultTabs(TDBGrid* MainGrid, velmora::ado::TDataSource* MainSource, QWidget* Parent);
    ~TResultTabs() override;

    // Back to the main grid alone.
    void Clear();
    // Shows what the run brought back; takes its later result sets.
    void Show(velmora::query::TScriptOutcome& Outcome);

    int ResultCount() const; // the tabs that hold a grid
    // The data source of the visible tab, null on the messages tab.
    velmora::ado::TDataSource* VisibleSource() const;
    TDBGrid* Grid(int Index) const; // 0: the main grid
    QString MessagesText() const;

    QTabBar* TabBar;
    QPlainTextEdit* Messages;

    // The visible tab changed: the navigator and record counter follow it.
    std::function<void(velmora::ado::TDataSource* Source)> OnVisibleSourceChanged;
    // A later tab's current record or data changed.
    std::function<void(velmora::ado::TDataSource& Source)> OnDataChange;
    // A double click on a message that points into the script.
    std::function<void(size_t Line)> OnGoToLine;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TResultPage;

    void TabChanged(int Index);

    TDBGrid* FMainGrid;
    velmora::ado::TDataSource* FMainSource;
    QStackedWidget* FPages;
    std::vector<std::unique_ptr<TResultPage>> FResults; // the later result sets
    std::vector<size_t> FLineOfBlock; // the script line each line of Messages points at
};

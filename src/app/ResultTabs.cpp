#include "ResultTabs.h"

#include "DBGrid.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextBlock>
#include <QVBoxLayout>

using namespace velmora;

struct TResultTabs::TResultPage {
    ado::TADODataSet DataSet;
    ado::TDataSource Source;
    TDBGrid* Grid = nullptr;

    explicit TResultPage(int Number) : DataSet("ADODataSet" + std::to_string(Number)) {}
};

TResultTabs::TResultTabs(TDBGrid* MainGrid, ado::TDataSource* MainSource, QWidget* Parent)
    : QWidget(Parent), FMainGrid(MainGrid), FMainSource(MainSource) {
    setObjectName("ResultTabs");
    TabBar = new QTabBar(this);
    TabBar->setObjectName("ResultTabBar");
    TabBar->setDocumentMode(true);
    TabBar->setExpanding(false);
    TabBar->hide();
    FPages = new QStackedWidget(this);
    FPages->addWidget(MainGrid);
    Messages = new QPlainTextEdit(this);
    Messages->setObjectName("ResultMessages");
    Messages->setReadOnly(true);
    Messages->setLineWrapMode(QPlainTextEdit::NoWrap);
    Messages->setFont(MainGrid->font());
    Messages->viewport()->installEventFilter(this);
    FPages->addWidget(Messages);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(TabBar);
    layout->addWidget(FPages, 1);
    connect(TabBar, &QTabBar::currentChanged, this, [this](int Index) { TabChanged(Index); });
}

TResultTabs::~TResultTabs() {
    Clear();
}

void TResultTabs::Clear() {
    const QSignalBlocker blocker(TabBar);
    while (TabBar->count() > 0)
        TabBar->removeTab(0);
    TabBar->hide();
    for (const std::unique_ptr<TResultPage>& page : FResults) {
        FPages->removeWidget(page->Grid);
        page->Grid->SetDataSource(nullptr);
        delete page->Grid;
    }
    FResults.clear();
    Messages->clear();
    FLineOfBlock.clear();
    FPages->setCurrentWidget(FMainGrid);
}

void TResultTabs::Show(query::TScriptOutcome& Outcome) {
    Clear();
    QString text;
    for (const query::TRunMessage& message : Outcome.Messages) {
        const QString lines = QString::fromStdString(message.Text);
        const qsizetype count = lines.count('\n') + 1;
        for (qsizetype i = 0; i < count; ++i)
            FLineOfBlock.push_back(message.ScriptLine);
        text += lines + '\n';
    }
    Messages->setPlainText(text);
    if (!Outcome.ShowTabs)
        return;
    const QSignalBlocker blocker(TabBar);
    TabBar->addTab("Result 1");
    int number = 1;
    for (ado::TRecordset& result : Outcome.LaterResults) {
        ++number;
        auto page = std::make_unique<TResultPage>(number);
        page->DataSet.SetRecordset(std::move(result));
        page->Grid = new TDBGrid(FPages);
        page->Grid->setObjectName(QString("ResultGrid%1").arg(number));
        page->Grid->setFont(FMainGrid->font());
        page->Grid->horizontalHeader()->setFont(FMainGrid->horizontalHeader()->font());
        page->Source.SetDataSet(&page->DataSet);
        page->Source.OnDataChange = [this](ado::TDataSource& Sender, ado::TDataChange) {
            if (OnDataChange && VisibleSource() == &Sender)
                OnDataChange(Sender);
        };
        page->Grid->SetDataSource(&page->Source);
        FPages->insertWidget(FPages->count() - 1, page->Grid);
        TabBar->addTab(QString("Result %1").arg(number));
        FResults.push_back(std::move(page));
    }
    Outcome.LaterResults.clear();
    TabBar->addTab("Messages");
    TabBar->setCurrentIndex(0);
    TabBar->show();
}

int TResultTabs::ResultCount() const {
    return 1 + static_cast<int>(FResults.size());
}

TDBGrid* TResultTabs::Grid(int Index) const {
    if (Index == 0)
        return FMainGrid;
    return Index > 0 && Index <= static_cast<int>(FResults.size()) ? FResults[Index - 1]->Grid
                                                                   : nullptr;
}

ado::TDataSource* TResultTabs::VisibleSource() const {
    const int index = TabBar->isVisible() || TabBar->count() > 0 ? TabBar->currentIndex() : 0;
    if (index <= 0)
        return FMainSource;
    return index <= static_cast<int>(FResults.size()) ? &FResults[index - 1]->Source : nullptr;
}

QString TResultTabs::MessagesText() const {
    return Messages->toPlainText();
}

void TResultTabs::TabChanged(int Index) {
    if (Index < 0)
        return;
    if (Index < ResultCount())
        FPages->setCurrentWidget(Grid(Index));
    else
        FPages->setCurrentWidget(Messages);
    if (OnVisibleSourceChanged)
        OnVisibleSourceChanged(VisibleSource());
}

bool TResultTabs::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == Messages->viewport() && Event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        const int block = Messages->cursorForPosition(mouse->position().toPoint()).blockNumber();
        if (block >= 0 && static_cast<size_t>(block) < FLineOfBlock.size() &&
            FLineOfBlock[static_cast<size_t>(block)] != 0 && OnGoToLine) {
            OnGoToLine(FLineOfBlock[static_cast<size_t>(block)]);
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

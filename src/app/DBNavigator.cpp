#include "DBNavigator.h"

#include "Dialogs.h"
#include "EditableResult.h"
#include "ErrorHandler.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPolygonF>
#include <QToolButton>

using namespace velmora::ado;

namespace {

const char* const Hints[TDBNavigator::ButtonCount] = {
    "First record",  "Prior record", "Next record", "Last record", "Insert record",
    "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};

// A button's glyph, drawn on a 12 by 12 grid in the ink.
QPixmap Glyph(TDBNavigator::TNavigateBtn Which, const QColor& ink) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    const QPolygonF left({{8.5, 2}, {8.5, 10}, {3.5, 6}});
    const QPolygonF right({{3.5, 2}, {3.5, 10}, {8.5, 6}});
    switch (Which) {
    case TDBNavigator::nbFirst:
        p.drawPolygon(left.translated(1, 0));
        p.drawLine(QPointF(2.5, 2), QPointF(2.5, 10));
        break;
    case TDBNavigator::nbPrior:
        p.drawPolygon(left);
        break;
    case TDBNavigator::nbNext:
        p.drawPolygon(right);
        break;
    case TDBNavigator::nbLast:
        p.drawPolygon(right.translated(-1, 0));
        p.drawLine(QPointF(9.5, 2), QPointF(9.5, 10));
        break;
    case TDBNavigator::nbInsert:
        p.drawLine(QPointF(6, 2), QPointF(6, 10));
        p.drawLine(QPointF(2, 6), QPointF(10, 6));
        break;
    case TDBNavigator::nbDelete:
        p.drawLine(QPointF(2, 6), QPointF(10, 6));
        break;
    case TDBNavigator::nbEdit:
        p.drawPolygon(QPolygonF({{2, 9}, {6, 3}, {10, 9}}));
        break;
    case TDBNavigator::nbPost:
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{2, 6.5}, {5, 9.5}, {10, 2.5}}));
        break;
    case TDBNavigator::nbCancel:
        p.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5));
        p.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5));
        break;
    case TDBNavigator::nbRefresh:
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2, 2, 8, 8), 90 * 16, 270 * 16);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({{6, 0.5}, {6, 4}, {8.8, 2.2}}));
        break;
    }
    p.end();
    return pixmap;
}

} // namespace

TDBNavigator::TDBNavigator(QWidget* Parent) : QWidget(Parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        const auto which = static_cast<TNavigateBtn>(i);
        auto* button = new QToolButton(this);
        button->setToolTip(Hints[i]);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, Guarded([this, which] { BtnClick(which); }));
        FButtons[static_cast<size_t>(i)] = button;
    }
    DrawGlyphs();
    FLink.OnDataChange = [this](TDataSource&, TDataChange) { UpdateButtons(); };
    FLink.OnStateChange = [this](TDataSource&) { UpdateButtons(); };
    UpdateButtons();
}

void TDBNavigator::changeEvent(QEvent* Event) {
    QWidget::changeEvent(Event);
    if (Event->type() == QEvent::PaletteChange)
        DrawGlyphs();
}

void TDBNavigator::DrawGlyphs() {
    for (int i = 0; i < ButtonCount; ++i) {
        const auto which = static_cast<TNavigateBtn>(i);
        QIcon icon(Glyph(which, palette().color(QPalette::Active, QPalette::ButtonText)));
        icon.addPixmap(Glyph(which, palette().color(QPalette::Disabled, QPalette::ButtonText)),
                       QIcon::Disabled);
        FButtons[static_cast<size_t>(i)]->setIcon(icon);
    }
}

void TDBNavigator::SetDataSource(TDataSource* Source) {
    FLink.SetDataSource(Source);
    UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
    TCustomADODataSet* dataSet = FLink.Active() ? FLink.DataSet() : nullptr;
    const bool active = dataSet != nullptr;
    const bool editing = active && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
    const bool canModify = active && velmora::query::IsEditableResult(*dataSet);
    const bool canGoBack = active && !dataSet->Bof();
    const bool canGoOn = active && !dataSet->Eof();
    const std::array<bool, ButtonCount> enabled = {canGoBack,
                                                   canGoBack,
                                                   canGoOn,
                                                   canGoOn,
                                                   canModify,
                                                   canModify && !dataSet->IsEmpty(),
                                                   canModify && !editing,
                                                   canModify && editing,
                                                   canModify && editing,
                                                   active && dataSet->CanRefresh()};
    for (size_t i = 0; i < enabled.size(); ++i)
        FButtons[i]->setEnabled(enabled[i]);
}

// Moving onto the first or last record again sets the dataset's Bof or Eof without a
// notification, so the buttons look again after every click.
void TDBNavigator::BtnClick(TNavigateBtn Which) {
    if (BeforeAction)
        BeforeAction(Which);
    Act(Which);
    UpdateButtons();
}

void TDBNavigator::Act(TNavigateBtn Which) {
    TCustomADODataSet* dataSet = FLink.DataSet();
    if (dataSet == nullptr)
        return;
    switch (Which) {
    case nbFirst:
        return dataSet->First();
    case nbPrior:
        return dataSet->Prior();
    case nbNext:
        return dataSet->Next();
    case nbLast:
        return dataSet->Last();
    case nbInsert:
        return dataSet->Insert();
    case nbDelete:
        if (Dialogs().MessageDlg("Delete record?", TMsgDlgType::mtConfirmation,
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok)
            dataSet->Delete();
        return;
    case nbEdit:
        return dataSet->Edit();
    case nbPost:
        return dataSet->Post();
    case nbCancel:
        return dataSet->Cancel();
    case nbRefresh:
        return dataSet->Refresh();
    }
}

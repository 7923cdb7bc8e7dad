#include "StatusBar.h"

#include "ShownText.h"

#include <QEvent>
#include <QLabel>
#include <QRegularExpression>

TStatusBar::TStatusBar(QWidget* Parent, std::initializer_list<int> PanelWidths)
    : QStatusBar(Parent) {
    setSizeGripEnabled(false);
    int remaining = static_cast<int>(PanelWidths.size());
    for (const int width : PanelWidths) {
        auto* panel = new QLabel(this);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const bool last = --remaining == 0;
        if (last)
            panel->setMinimumWidth(width);
        else
            panel->setFixedWidth(width);
        addWidget(panel, last ? 1 : 0);
        FPanels.push_back(panel);
    }
    FToolTipSources.resize(FPanels.size());
}

QString TStatusBar::PanelText(int Index) const {
    return FPanels.at(static_cast<size_t>(Index))->text();
}

void TStatusBar::SetPanelText(int Index, const QString& Text) {
    QLabel* panel = FPanels.at(static_cast<size_t>(Index));
    const QString shown = ShownText(Text);
    // A panel is one line high: a message of several lines shows its first, with a mark that
    // more follows, and the whole message in the tooltip.
    const qsizetype lineBreak = shown.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    panel->setText(lineBreak < 0 ? shown : shown.left(lineBreak) + QStringLiteral(" \u2026"));
    panel->setToolTip(shown);
}

QString TStatusBar::PanelToolTip(int Index) const {
    const std::function<QString()>& source = FToolTipSources.at(static_cast<size_t>(Index));
    return source ? ShownText(source()) : FPanels.at(static_cast<size_t>(Index))->toolTip();
}

void TStatusBar::SetPanelToolTipSource(int Index, std::function<QString()> Source) {
    FToolTipSources.at(static_cast<size_t>(Index)) = std::move(Source);
    FPanels.at(static_cast<size_t>(Index))->installEventFilter(this);
}

bool TStatusBar::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::ToolTip)
        for (size_t i = 0; i < FPanels.size(); ++i)
            if (FPanels[i] == Watched && FToolTipSources[i])
                FPanels[i]->setToolTip(ShownText(FToolTipSources[i]()));
    return QStatusBar::eventFilter(Watched, Event);
}

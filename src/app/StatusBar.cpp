#include "StatusBar.h"

#include <QLabel>

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
}

QString TStatusBar::PanelText(int Index) const {
    return FPanels.at(static_cast<size_t>(Index))->text();
}

void TStatusBar::SetPanelText(int Index, const QString& Text) {
    QLabel* panel = FPanels.at(static_cast<size_t>(Index));
    panel->setText(Text);
    panel->setToolTip(Text);
}

QString TStatusBar::PanelToolTip(int Index) const {
    return FPanels.at(static_cast<size_t>(Index))->toolTip();
}

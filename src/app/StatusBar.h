#pragma once
// A status bar of fixed-width text panels, addressed by index from 0; the last panel takes the
// rest of the width.
#include <QStatusBar>
#include <initializer_list>
#include <vector>

class QLabel;

class TStatusBar final : public QStatusBar {
    Q_OBJECT

public:
    TStatusBar(QWidget* Parent, std::initializer_list<int> PanelWidths);

    QString PanelText(int Index) const;
    // The panel's tooltip is its whole text, which a narrow panel cuts short.
    void SetPanelText(int Index, const QString& Text);
    QString PanelToolTip(int Index) const;
    int PanelCount() const { return static_cast<int>(FPanels.size()); }

private:
    std::vector<QLabel*> FPanels;
};

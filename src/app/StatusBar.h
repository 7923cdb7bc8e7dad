#pragma once
// A status bar of fixed-width text panels, addressed by index from 0; the last panel takes the
// rest of the width.
#include <QStatusBar>
#include <functional>
#include <initializer_list>
#include <vector>

class QLabel;

class TStatusBar final : public QStatusBar {
    Q_OBJECT

public:
    TStatusBar(QWidget* Parent, std::initializer_list<int> PanelWidths);

    QString PanelText(int Index) const;
    // The panel's tooltip is its whole text, which a narrow panel cuts short; the panel shows
    // only the text's first line.
    void SetPanelText(int Index, const QString& Text);
    // The tooltip as it shows now.
    QString PanelToolTip(int Index) const;
    // The panel's tooltip is Source's answer at the moment it shows, whatever the text.
    void SetPanelToolTipSource(int Index, std::function<QString()> Source);
    int PanelCount() const { return static_cast<int>(FPanels.size()); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    std::vector<QLabel*> FPanels;
    std::vector<std::function<QString()>> FToolTipSources; // by panel; empty: the text
};

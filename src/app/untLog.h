#pragma once
// The log window: connection events, newest first, each with its time stamp.
#include <QWidget>

class QTextEdit;

class TfrmLog final : public QWidget {
    Q_OBJECT

public:
    explicit TfrmLog(QWidget* Owner);

    // Puts Line above every earlier line.
    void InsertFirstLine(const QString& Line);
    QString Text() const;
    // Widens the window, within its screen, so that no line is cut; it never narrows.
    void FitWidestLine();

    QTextEdit* reLog;
};

extern TfrmLog* frmLog;

#pragma once
// A plain multi-line text control standing in for the script editor until the custom-drawn one
// takes its place.
#include "ScriptEditor.h"

#include <QPlainTextEdit>

class TPlainScriptEditor final : public QPlainTextEdit, public TScriptEditor {
    Q_OBJECT

public:
    explicit TPlainScriptEditor(QWidget* Parent);

    QWidget* Widget() override { return this; }
    int SelStart() const override;
    int SelLength() const override;
    QString SelectedText() const override;
    QString Text() const override;
    void AppendLine(const QString& Text) override;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
};

#pragma once
// The go-to-line bar under the script editor: a line number, and Enter moves the caret to the
// start of that line; Escape closes the bar without moving.
#include <QWidget>

class QLabel;
class QLineEdit;
class TMemoScriptEditor;

class TGoToLineBar final : public QWidget {
    Q_OBJECT

public:
    TGoToLineBar(TMemoScriptEditor* Editor, QWidget* Parent);

    // Opens the bar with the caret's line number selected in its field.
    void Open();
    void Close();
    // Moves to the line in the field and closes the bar; a field that holds no line number in
    // range leaves the bar open and says so.
    void Go();

    QLineEdit* LineField() const { return FLine; }
    QString Status() const;

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    TMemoScriptEditor* FEditor;
    QLabel* FPrompt;
    QLineEdit* FLine;
    QLabel* FStatus;
};

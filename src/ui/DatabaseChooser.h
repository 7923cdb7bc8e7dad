#pragma once
// The database chooser: a combo box whose edit part names the database a script runs in. An
// entry the user picks from the list, or the program sets, is highlighted whole, since the
// database switch takes the highlighted text. Only the list's names can be chosen: typing is
// kept to the start of a listed name, a name typed out in full is picked as if from the list,
// and what is left half typed goes back to the chosen entry when the chooser loses the focus.
#include <QComboBox>

class TDatabaseChooser final : public QComboBox {
public:
    explicit TDatabaseChooser(QWidget* Parent);

    // The highlighted part of the edit part: what the database switch applies.
    QString SelectedText() const;
    // The database a run uses: the chosen entry's name, whatever is typed, highlighted or
    // focused; empty when no entry is chosen.
    QString ShownDatabase() const;
    // Makes entry Index the chooser's entry (-1: none), its whole text highlighted. This is the
    // program's own setting, not a user's switch: no change is announced.
    void SetEntry(int Index);
    // Shows the chosen entry's name again in place of a half-typed one.
    void RevertTypedText();

protected:
    void focusOutEvent(QFocusEvent* Event) override;

private:
    void HighlightWholeEntry();
    void TextTyped(const QString& Text);
};

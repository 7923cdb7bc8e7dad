#pragma once
// The database chooser: a combo box whose edit part names the database a script runs in. An
// entry the user picks from the list, or the program sets, is highlighted whole, since the
// database switch takes the highlighted text.
#include <QComboBox>

class TDatabaseChooser final : public QComboBox {
public:
    explicit TDatabaseChooser(QWidget* Parent);

    // The highlighted part of the edit part: what the database switch applies.
    QString SelectedText() const;
    // The database a run uses: the text the chooser shows, whatever is highlighted or focused.
    QString ShownDatabase() const { return currentText(); }
    // Makes entry Index the chooser's entry (-1: none), its whole text highlighted. This is the
    // program's own setting, not a user's switch: no change is announced.
    void SetEntry(int Index);

private:
    void HighlightWholeEntry();
};

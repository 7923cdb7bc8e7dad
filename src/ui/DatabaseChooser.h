#pragma once
// The database chooser: a combo box whose edit part's highlighted text names the database a
// script runs in. An entry the user picks from the list, or the program sets, is highlighted
// whole, so the database chosen is the one that runs; and the edit part keeps its highlight
// when the focus moves on (to the editor, where the run starts).
#include <QComboBox>

class TDatabaseChooser final : public QComboBox {
public:
    explicit TDatabaseChooser(QWidget* Parent);

    // The highlighted part of the edit part: the database a run uses (empty: keep the current).
    QString SelectedText() const;
    // Makes entry Index the chooser's entry (-1: none), its whole text highlighted. This is the
    // program's own setting, not a user's switch: no change is announced.
    void SetEntry(int Index);

private:
    void HighlightWholeEntry();
};

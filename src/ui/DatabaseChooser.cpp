#include "DatabaseChooser.h"

#include <QLineEdit>
#include <QSignalBlocker>

TDatabaseChooser::TDatabaseChooser(QWidget* Parent) : QComboBox(Parent) {
    setEditable(true);
    // A completion highlighted while the user types would name a fragment of a database.
    setCompleter(nullptr);
    connect(this, &QComboBox::activated, this, [this] { HighlightWholeEntry(); });
}

QString TDatabaseChooser::SelectedText() const {
    return lineEdit()->selectedText();
}

void TDatabaseChooser::SetEntry(int Index) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(Index);
    HighlightWholeEntry();
}

void TDatabaseChooser::HighlightWholeEntry() {
    lineEdit()->selectAll();
}

#include "DatabaseChooser.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

// Qt drops a line edit's selection when it loses the focus; the chooser's selection is what a
// run reads, so it must outlive the focus.
class TSelectionKeepingEdit final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusOutEvent(QFocusEvent* Event) override {
        const int start = selectionStart();
        const int length = selectionLength();
        QLineEdit::focusOutEvent(Event);
        if (start >= 0)
            setSelection(start, length);
    }
};

} // namespace

TDatabaseChooser::TDatabaseChooser(QWidget* Parent) : QComboBox(Parent) {
    setEditable(true);
    setLineEdit(new TSelectionKeepingEdit(this));
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

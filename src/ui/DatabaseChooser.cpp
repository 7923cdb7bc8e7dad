#include "DatabaseChooser.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QValidator>

namespace {

// Accepts a listed name, and the start of one while it is typed; nothing else can be typed.
class TListedNameValidator final : public QValidator {
public:
    explicit TListedNameValidator(const QComboBox& Chooser)
        : QValidator(const_cast<QComboBox*>(&Chooser)), FChooser(Chooser) {}

    State validate(QString& Input, int&) const override {
        if (Input.isEmpty())
            return Intermediate;
        bool prefix = false;
        for (int i = 0; i < FChooser.count(); ++i) {
            const QString name = FChooser.itemText(i);
            if (name == Input)
                return Acceptable;
            prefix = prefix || name.startsWith(Input);
        }
        return prefix ? Intermediate : Invalid;
    }

private:
    const QComboBox& FChooser;
};

} // namespace

TDatabaseChooser::TDatabaseChooser(QWidget* Parent) : QComboBox(Parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // A completion highlighted while the user types would name a fragment of a database.
    setCompleter(nullptr);
    lineEdit()->setValidator(new TListedNameValidator(*this));
    connect(this, &QComboBox::activated, this, [this] { HighlightWholeEntry(); });
    connect(lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& Text) { TextTyped(Text); });
}

QString TDatabaseChooser::SelectedText() const {
    return lineEdit()->selectedText();
}

QString TDatabaseChooser::ShownDatabase() const {
    return currentIndex() < 0 ? QString() : itemText(currentIndex());
}

void TDatabaseChooser::SetEntry(int Index) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(Index);
    if (Index < 0)
        setEditText({});
    HighlightWholeEntry();
}

void TDatabaseChooser::RevertTypedText() {
    if (currentText() == ShownDatabase())
        return;
    const QSignalBlocker quiet(this);
    setEditText(ShownDatabase());
    HighlightWholeEntry();
}

// The edit part hands its focus to the combo box, so the combo box loses it.
void TDatabaseChooser::focusOutEvent(QFocusEvent* Event) {
    QComboBox::focusOutEvent(Event);
    RevertTypedText();
}

void TDatabaseChooser::HighlightWholeEntry() {
    lineEdit()->selectAll();
}

// A listed name typed out in full is that entry, picked.
void TDatabaseChooser::TextTyped(const QString& Text) {
    const int index = findText(Text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return;
    if (index != currentIndex()) {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    // Picked, the entry is highlighted whole for the switch; the typing then goes on after it.
    emit activated(index);
    lineEdit()->deselect();
    lineEdit()->setCursorPosition(static_cast<int>(Text.size()));
}

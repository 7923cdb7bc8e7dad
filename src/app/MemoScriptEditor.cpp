#include "MemoScriptEditor.h"

#include "QtText.h"

using memo::ToQString;
using memo::ToU32;

TMemoScriptEditor::TMemoScriptEditor(QWidget* Parent)
    : TMemoWidget(Parent, std::make_unique<sourceedit::TSourceEdit>()) {
    TMemoWidget::OnKeyDown = [this](QKeyEvent* Event) {
        if (TScriptEditor::OnKeyDown)
            TScriptEditor::OnKeyDown(Event);
    };
    Editor().OnChange = [this](memo::TObject*) {
        if (OnChange)
            OnChange();
    };
}

QString TMemoScriptEditor::SelectedText() const {
    return ToQString(Editor().Selection()->Text());
}

QString TMemoScriptEditor::Text() const {
    return ToQString(Editor().GetText());
}

void TMemoScriptEditor::SetText(const QString& Text) {
    Editor().SetText(ToU32(Text));
}

void TMemoScriptEditor::SetSelection(int Start, int Length) {
    memo::TSelectionRange& selection = *Editor().Selection();
    selection.BeginUpdate();
    selection.CollapseTo(Start + 1);
    selection.ExtendTo(Start + Length + 1);
    selection.EndUpdate();
}

void TMemoScriptEditor::AppendLine(const QString& Text) {
    Editor().Lines().Add(ToU32(Text));
}

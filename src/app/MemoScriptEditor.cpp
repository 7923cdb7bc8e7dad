#include "MemoScriptEditor.h"

#include "FontCache.h"
#include "QtText.h"

using memo::ToQString;
using memo::ToU32;

namespace {

// Paper is white: the system's window text colour prints black.
QColor PaperColor(memo::TColor Color) {
    if (memo::IsSystemColor(Color))
        return Qt::black;
    return QColor(memo::RedOf(Color), memo::GreenOf(Color), memo::BlueOf(Color));
}

} // namespace

TMemoScriptEditor::TMemoScriptEditor(QWidget* Parent) : TMemoWidget(Parent) {
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

// Each line is one run in the editor's font and colour. The colouring editor plugs in here: its
// formatted ranges of a line (without the selection's) become the line's runs.
TStyledScript TMemoScriptEditor::StyledScript() const {
    const memo::TFont& font = Editor().GetFontValue();
    TStyledScript script;
    script.Font = memo::ResolveFont(font);
    script.TabSize = Editor().TabSize();
    script.LineCount = Editor().Lines().Count();
    script.Line = [this, color = PaperColor(font.Color), bold = font.HasStyle(memo::fsBold),
                   italic = font.HasStyle(memo::fsItalic)](int Index) {
        return TStyledLine{{Editor().Lines().Get(Index), color, bold, italic}};
    };
    return script;
}

void TMemoScriptEditor::SetSelection(int Start, int Length) {
    memo::TSelectionRange& selection = *Editor().Selection();
    selection.BeginUpdate();
    selection.CollapseTo(Start + 1);
    selection.ExtendTo(Start + Length + 1);
    selection.EndUpdate();
    Editor().ScrollCaretIntoView();
}

void TMemoScriptEditor::AppendLine(const QString& Text) {
    Editor().Lines().Add(ToU32(Text));
}

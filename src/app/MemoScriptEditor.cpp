#include "MemoScriptEditor.h"

#include "FontCache.h"
#include "QtText.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <algorithm>
#include <memory>

using memo::ToQString;
using memo::ToU32;

namespace {

// Paper is white: the system's window text colour prints black.
QColor PaperColor(memo::TColor Color) {
    if (memo::IsSystemColor(Color))
        return Qt::black;
    return QColor(memo::RedOf(Color), memo::GreenOf(Color), memo::BlueOf(Color));
}

memo::TTextBuffer BufferOf(velmora::files::TNarrowText&& Text) {
    switch (Text.Width) {
    case 1:
        return memo::TTextBuffer::Of(std::move(Text.Latin1));
    case 2:
        return memo::TTextBuffer::Of(std::move(Text.Bmp));
    default:
        return memo::TTextBuffer::Of(std::move(Text.Full));
    }
}

} // namespace

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

void TMemoScriptEditor::AdoptCharacters(velmora::files::TNarrowText&& Text) {
    Editor().AdoptText(BufferOf(std::move(Text)));
}

int TMemoScriptEditor::FontHeight() const {
    return std::abs(Editor().GetFontValue().Height);
}

void TMemoScriptEditor::SetFontHeight(int Pixels) {
    memo::TFont font = Editor().GetFontValue();
    if (font.Height == -Pixels)
        return;
    font.Height = -Pixels; // negative: the character height
    Editor().SetFont(font);
}

void TMemoScriptEditor::Zoom(int Steps) {
    constexpr int Smallest = 6;
    constexpr int Largest = 72;
    if (FUnzoomedHeight == 0)
        FUnzoomedHeight = FontHeight();
    SetFontHeight(std::clamp(FontHeight() + Steps, Smallest, Largest));
}

void TMemoScriptEditor::ResetZoom() {
    if (FUnzoomedHeight != 0)
        SetFontHeight(FUnzoomedHeight);
    FUnzoomedHeight = 0;
}

void TMemoScriptEditor::keyPressEvent(QKeyEvent* Event) {
    // Shift may be needed to type "+"; the keypad's keys count too.
    const Qt::KeyboardModifiers modifiers =
        Event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (modifiers == Qt::ControlModifier) {
        switch (Event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            Zoom(1);
            return Event->accept();
        case Qt::Key_Minus:
            Zoom(-1);
            return Event->accept();
        case Qt::Key_0:
            ResetZoom();
            return Event->accept();
        default:
            break;
        }
    }
    TMemoWidget::keyPressEvent(Event);
}

void TMemoScriptEditor::wheelEvent(QWheelEvent* Event) {
    if ((Event->modifiers() & Qt::ControlModifier) == 0) {
        FZoomWheelRest = 0;
        return TMemoWidget::wheelEvent(Event);
    }
    constexpr int Notch = 120; // one step of a wheel, in eighths of a degree
    FZoomWheelRest += Event->angleDelta().y();
    const int steps = FZoomWheelRest / Notch;
    FZoomWheelRest -= steps * Notch;
    if (steps != 0)
        Zoom(steps);
    Event->accept();
}

QString TMemoScriptEditor::SelectedText() const {
    return ToQString(Editor().Selection()->Text());
}

QString TMemoScriptEditor::Text() const {
    return ToQString(Editor().GetText());
}

TScriptEditor::TTextCopy TMemoScriptEditor::CopyText() const {
    auto snapshot = std::make_shared<const memo::TTextSnapshot>(Editor().Text().Snapshot());
    return [snapshot] { return snapshot->ToString(); };
}

void TMemoScriptEditor::SetText(const QString& Text) {
    Editor().SetText(ToU32(Text));
}

// Each line is printed as the editor colours it: a run for every lexical range, or piece of one,
// without the selection's colours.
TStyledScript TMemoScriptEditor::StyledScript() const {
    TStyledScript script;
    script.Font = memo::ResolveFont(Editor().GetFontValue());
    script.TabSize = Editor().TabSize();
    script.LineCount = Editor().Lines().Count();
    script.Line = [this](int Index) {
        sourceedit::TSourceEdit& editor = SourceEdit();
        int start = editor.LineColToPos(Index + 1, 1);
        std::vector<sourceedit::TStyledSpan> spans;
        editor.GetStyledSpans(start, start + editor.LineLength(Index + 1) - 1, spans);
        TStyledLine line;
        for (const sourceedit::TStyledSpan& span : spans)
            line.push_back({editor.Chars(span.RStart, span.REnd), PaperColor(span.Font.Color),
                            span.Font.HasStyle(memo::fsBold), span.Font.HasStyle(memo::fsItalic)});
        return line;
    };
    script.Text = [this](int Index) {
        const memo::TMemoComponent& editor = Editor();
        const int start = editor.LineColToPos(Index + 1, 1);
        return editor.Chars(start, start + editor.LineLength(Index + 1) - 1);
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

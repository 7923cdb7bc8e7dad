#include "GoToLine.h"

#include <algorithm>

namespace sourceedit {

void GoToLine(memo::TMemoComponent& Editor, int Line) {
    Line = std::clamp(Line, 1, Editor.LineCount());
    memo::TSelectionRange& selection = *Editor.Selection();
    selection.BeginUpdate();
    selection.CollapseTo(Editor.LineColToPos(Line, 1));
    selection.EndUpdate();
    Editor.ScrollCaretIntoView();
}

} // namespace sourceedit

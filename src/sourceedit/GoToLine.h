#pragma once
// Moving the caret to a line by its number.
#include "MemoComponent.h"

namespace sourceedit {

// Places the caret at the start of Line (1-based; clamped to the lines there are) and scrolls
// it into view.
void GoToLine(memo::TMemoComponent& Editor, int Line);

} // namespace sourceedit

#pragma once
// Find and replace in an editor: what the find bar's commands do to the text and the selection.
// A search starts at the selection and goes round the end of the text (or its start, backward).
#include "MemoComponent.h"
#include "TextSearch.h"

#include <memory>
#include <string_view>

namespace sourceedit {

struct TFindOutcome {
    TTextMatch Match;     // selected when found
    bool Wrapped = false; // found only after going round the end (or the start)
};

// The next match after the selection's start (after the selection when it is a match itself).
TFindOutcome FindNext(memo::TMemoComponent& Editor, const TTextSearch& Search);
// The last match before the selection's start.
TFindOutcome FindPrevious(memo::TMemoComponent& Editor, const TTextSearch& Search);
// Replaces the selection when it is a match, then finds the next one. Replaced says whether
// the text changed. Throws std::invalid_argument when Replacement refers to a group that the
// expression lacks.
TFindOutcome ReplaceSelected(memo::TMemoComponent& Editor, const TTextSearch& Search,
                             std::u32string_view Replacement, bool& Replaced);
// Replaces every match, in one edit that one undo takes back; returns how many. Throws
// std::length_error when the text would grow past what the editor holds (nothing is changed).
int ReplaceAll(memo::TMemoComponent& Editor, const TTextSearch& Search,
               std::u32string_view Replacement);
// Marks the matches of Search in the lines the editor paints; nullptr clears the marks.
void MarkMatches(memo::TMemoComponent& Editor, std::shared_ptr<const TTextSearch> Search);

} // namespace sourceedit

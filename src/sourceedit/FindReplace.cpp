#include "FindReplace.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace sourceedit {

namespace {

void Select(memo::TMemoComponent& Editor, TTextMatch Match) {
    memo::TSelectionRange& selection = *Editor.Selection();
    selection.BeginUpdate();
    selection.CollapseTo(Match.Start + 1);
    selection.ExtendTo(Match.End() + 1);
    selection.EndUpdate();
    Editor.ScrollCaretIntoView();
}

TFindOutcome Selected(memo::TMemoComponent& Editor, TTextMatch Match, bool Wrapped) {
    if (Match.Found())
        Select(Editor, Match);
    return {Match, Match.Found() && Wrapped};
}

bool SelectionIsMatch(memo::TMemoComponent& Editor, const TTextSearch& Search) {
    int start = Editor.SelStart();
    int length = Editor.SelLength();
    if (length <= 0)
        return false;
    TTextMatch match = Search.Next(Editor.Text(), start, start + length);
    return match.Start == start && match.Length == length;
}

} // namespace

TFindOutcome FindNext(memo::TMemoComponent& Editor, const TTextSearch& Search) {
    const memo::TTextBuffer& text = Editor.Text();
    int start = Editor.SelStart();
    int from = SelectionIsMatch(Editor, Search) ? start + Editor.SelLength() : start;
    TTextMatch match = Search.Next(text, from, text.Length());
    if (match.Found())
        return Selected(Editor, match, false);
    return Selected(Editor, Search.Next(text, 0, text.Length()), true);
}

TFindOutcome FindPrevious(memo::TMemoComponent& Editor, const TTextSearch& Search) {
    const memo::TTextBuffer& text = Editor.Text();
    TTextMatch match = Search.Previous(text, Editor.SelStart());
    if (match.Found())
        return Selected(Editor, match, false);
    return Selected(Editor, Search.Previous(text, text.Length()), true);
}

TFindOutcome ReplaceSelected(memo::TMemoComponent& Editor, const TTextSearch& Search,
                             std::u32string_view Replacement, bool& Replaced) {
    Replaced = false;
    if (!Editor.ReadOnly() && SelectionIsMatch(Editor, Search)) {
        int start = Editor.SelStart();
        TTextMatch match{start, Editor.SelLength()};
        std::u32string with = Search.Substitute(Editor.Text(), match, Replacement);
        memo::TMCRange selected(&Editor, start + 1, match.End());
        selected.SetText(with);
        Replaced = true;
        Editor.Selection()->CollapseTo(start + static_cast<int>(with.size()) + 1);
    }
    return FindNext(Editor, Search);
}

int ReplaceAll(memo::TMemoComponent& Editor, const TTextSearch& Search,
               std::u32string_view Replacement) {
    if (Editor.ReadOnly())
        return 0;
    const memo::TTextBuffer& text = Editor.Text();
    std::vector<TTextMatch> matches;
    for (TTextMatch m = Search.Next(text, 0, text.Length()); m.Found();
         m = Search.Next(text, m.End(), text.Length()))
        matches.push_back(m);
    if (matches.empty())
        return 0;
    // The stretch from the first match to the end of the last, rebuilt with the replacements.
    int first = matches.front().Start;
    int last = matches.back().End();
    std::u32string rebuilt;
    int at = first;
    for (const TTextMatch& m : matches) {
        rebuilt += text.Substr(at, m.Start - at);
        rebuilt += Search.Substitute(text, m, Replacement);
        at = m.End();
        if (static_cast<long long>(text.Length()) - (at - first) +
                static_cast<long long>(rebuilt.size()) >
            memo::TMemoComponent::MaxTextLength)
            throw std::length_error("the text would grow too long");
    }
    Editor.PushUndo(Editor.NewUndoSeparator());
    memo::TMCRange stretch(&Editor, first + 1, last);
    stretch.SetText(rebuilt);
    Editor.PushUndo(Editor.NewUndoSeparator());
    return static_cast<int>(matches.size());
}

void MarkMatches(memo::TMemoComponent& Editor, std::shared_ptr<const TTextSearch> Search) {
    if (Search == nullptr || !Search->Valid()) {
        Editor.SetMarkFinder(nullptr);
        return;
    }
    memo::TMemoComponent* editor = &Editor;
    Editor.SetMarkFinder([editor, Search](int Start, int End, std::vector<memo::TMarkSpan>& Marks) {
        std::vector<TTextMatch> matches;
        Search->Overlapping(editor->Text(), Start - 1, End, matches);
        for (const TTextMatch& m : matches)
            Marks.push_back(memo::TMarkSpan{m.Start + 1, m.End()});
    });
}

} // namespace sourceedit

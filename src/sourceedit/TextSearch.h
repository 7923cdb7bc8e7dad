#pragma once
// Finding text in the editor's characters: plain text (with or without case) or a regular
// expression, optionally as a whole word, forward or backward from a position. Plain text is
// searched straight in the stored characters, without a copy; a regular expression is matched
// line by line (a match never spans a line break).
#include "TextBuffer.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sourceedit {

struct TSearchOptions {
    bool MatchCase = false;
    // The characters before and after a match are not word characters.
    bool WholeWord = false;
    bool RegularExpression = false;
};

// Length characters from the 0-based Start; Start is −1 when nothing was found.
struct TTextMatch {
    int Start = -1;
    int Length = 0;
    bool Found() const { return Start >= 0; }
    int End() const { return Start + Length; }
    friend bool operator==(const TTextMatch&, const TTextMatch&) = default;
};

class TTextSearch {
public:
    TTextSearch(std::u32string_view Pattern, TSearchOptions Options);
    ~TTextSearch();
    TTextSearch(const TTextSearch&) = delete;
    TTextSearch& operator=(const TTextSearch&) = delete;

    // False for an empty pattern or a regular expression that does not compile; Error then says
    // why (empty for an empty pattern).
    bool Valid() const;
    const std::string& Error() const { return FError; }
    const TSearchOptions& Options() const { return FOptions; }

    // The first match that starts at or after From and ends at or before Limit.
    TTextMatch Next(const memo::TTextBuffer& Text, int From, int Limit) const;
    // The last match that starts before From and at or after Floor.
    TTextMatch Previous(const memo::TTextBuffer& Text, int From, int Floor = 0) const;
    // The matches that overlap Start … End − 1, in order, for marking a few lines: the search
    // looks only a bounded distance beyond them, whatever the length of their line.
    void Overlapping(const memo::TTextBuffer& Text, int Start, int End,
                     std::vector<TTextMatch>& Matches) const;
    // What replaces Match: Replacement itself, or for a regular expression Replacement with its
    // group references ($1, ${name}, $$) filled in.
    std::u32string Substitute(const memo::TTextBuffer& Text, TTextMatch Match,
                              std::u32string_view Replacement) const;
    // Whether a regular expression was given up on in some line because matching it there cost
    // too much: a search that found nothing then cannot say that there is nothing.
    bool GaveUp() const { return FGaveUp; }

private:
    class TRegex;

    bool AcceptsWord(const memo::TTextBuffer& Text, int Start, int Length) const;
    TTextMatch NextPlain(const memo::TTextBuffer& Text, int From, int Limit) const;
    TTextMatch PreviousPlain(const memo::TTextBuffer& Text, int From, int Floor) const;
    TTextMatch NextRegex(const memo::TTextBuffer& Text, int From, int Limit) const;
    TTextMatch PreviousRegex(const memo::TTextBuffer& Text, int From, int Floor) const;

    std::u32string FPattern;
    TSearchOptions FOptions;
    std::string FError;
    std::unique_ptr<TRegex> FRegex;
    mutable bool FGaveUp = false;
};

} // namespace sourceedit

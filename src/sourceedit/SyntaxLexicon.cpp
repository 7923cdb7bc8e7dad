#include "SyntaxLexicon.h"

#include "CharClasses.h"

#include <algorithm>
#include <map>

namespace sourceedit {

namespace {

char AsciiUpper(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

bool EqualFolded(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return AsciiUpper(X) == AsciiUpper(Y);
           });
}

int LengthBit(size_t Length) {
    return static_cast<int>(std::min<size_t>(Length, 63));
}

} // namespace

void TSyntaxLexicon::Follow(const TSyntaxColoring& Settings) {
    if (FBuilt && FGeneration == Settings.Generation())
        return;
    FTokenRules = Settings.TokenRules();
    BuildWords(Settings);
    BuildClasses();
    BuildStyles(Settings);
    FBuilt = true;
    FGeneration = Settings.Generation();
}

std::uint32_t TSyntaxLexicon::FoldedHash(std::string_view Word) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (char c : Word)
        hash = (hash ^ static_cast<unsigned char>(AsciiUpper(c))) * 16777619u;
    return hash;
}

void TSyntaxLexicon::BuildWords(const TSyntaxColoring& Settings) {
    // The words under their upper-case form, in list order.
    std::map<std::string, std::vector<TCandidate>> byFolded;
    const TWordLists& lists = Settings.WordLists();
    FHasAloneWords = false;
    for (int i = 0; i < lists.Count(); ++i) {
        const TWordList& list = *lists.Items(i);
        FHasAloneWords = FHasAloneWords || (list.AloneOnLine() && list.Words().Count() > 0);
        for (const std::string& word : list.Words().Items()) {
            std::string folded(word);
            std::transform(folded.begin(), folded.end(), folded.begin(), AsciiUpper);
            byFolded[folded].push_back(
                TCandidate{i, list.CaseSensitive(), list.AloneOnLine(), word});
        }
    }
    FCandidates.clear();
    FWordLengths = 0;
    size_t slots = 16;
    while (slots < byFolded.size() * 2)
        slots *= 2;
    FSlots.assign(slots, TSlot{});
    for (auto& [folded, candidates] : byFolded) {
        TSlot slot{FoldedHash(folded), static_cast<std::uint32_t>(FCandidates.size()),
                   static_cast<std::uint32_t>(candidates.size())};
        FCandidates.insert(FCandidates.end(), candidates.begin(), candidates.end());
        size_t at = slot.Hash & (slots - 1);
        while (FSlots[at].Count != 0)
            at = (at + 1) & (slots - 1);
        FSlots[at] = slot;
        FWordLengths |= std::uint64_t{1} << LengthBit(folded.size());
    }
}

void TSyntaxLexicon::BuildClasses() {
    for (char32_t c = 0; c < 128; ++c)
        FClasses[c] = static_cast<std::uint8_t>(
            (IsSymbolChar(c) ? ccSymbol : 0) | (IsParenthesis(c) ? ccParenthesis : 0) |
            (IsIdentChar(c) ? ccIdent : 0) | (IsNumberStart(c) ? ccNumberStart : 0));
    FAboveAscii = 0;
    if (!TransactSql())
        return;
    // Numbers are read where they begin, not cut out of identifiers; "@" goes into names.
    for (std::uint8_t& cls : FClasses)
        cls &= static_cast<std::uint8_t>(~ccNumberStart);
    for (char32_t c = U'0'; c <= U'9'; ++c)
        FClasses[c] |= ccNumberLead;
    FClasses[U'.'] |= ccNumberLead;
    FClasses[U'$'] |= ccNumberLead;
    FClasses[U'@'] = ccIdent | ccNameStart;
    FClasses[U'#'] = ccIdent | ccNameStart;
}

void TSyntaxLexicon::BuildStyles(const TSyntaxColoring& Settings) {
    FStyles.clear();
    FBeginsInIdentifiers = false;
    FLookAhead = 1;
    bool everywhere = false;
    const TCustomStyles& styles = Settings.CustomStyles();
    for (int i = 0; i < styles.Count(); ++i) {
        const TCustomStyle& style = *styles.Items(i);
        const std::u32string& begin = style.BeginText();
        bool beginsWithIdent = !begin.empty() && begin[0] < 128 && (FClasses[begin[0]] & ccIdent);
        FStyles.push_back(TStyle{style.BeginText(), style.EndText(), style.IgnoreChar(),
                                 style.Switchable(), style.DontSwitchToIndex1(),
                                 style.DontSwitchToIndex2(), style.Nested(), style.DoubledEnd(),
                                 TransactSql() && beginsWithIdent});
        if (style.Switchable())
            FLookAhead = std::max(FLookAhead, static_cast<int>(style.EndText().size()));
        if (begin.size() > static_cast<size_t>(TCustomStyles::LookAhead))
            continue; // never matches
        FLookAhead = std::max(FLookAhead, static_cast<int>(begin.size()));
        if (begin.empty()) {
            // Begins everywhere.
            for (std::uint8_t& cls : FClasses)
                cls |= ccStyleBegin;
            FAboveAscii |= ccStyleBegin;
            FBeginsInIdentifiers = true;
            everywhere = true;
        } else if (begin[0] < 128) {
            FClasses[begin[0]] |= ccStyleBegin;
            // One that begins only at word starts never cuts a word short.
            FBeginsInIdentifiers = FBeginsInIdentifiers ||
                                   ((FClasses[begin[0]] & ccIdent) && !FStyles.back().AtWordStart);
        } else {
            FAboveAscii |= ccStyleBegin;
        }
    }
    // Under the Transact-SQL rules every style that begins with a letter begins at a word start.
    if (TransactSql() && !everywhere)
        for (std::uint8_t& cls : FClasses)
            if ((cls & ccStyleBegin) && (cls & ccIdent))
                cls |= ccStyleAtWordStart;
}

TSyntaxLexicon::TWordMatch TSyntaxLexicon::MatchWord(std::string_view Word) const {
    TWordMatch match;
    if ((FWordLengths >> LengthBit(Word.size()) & 1) == 0)
        return match;
    std::uint32_t hash = FoldedHash(Word);
    size_t mask = FSlots.size() - 1;
    for (size_t at = hash & mask; FSlots[at].Count != 0; at = (at + 1) & mask) {
        const TSlot& slot = FSlots[at];
        if (slot.Hash != hash || !EqualFolded(FCandidates[slot.First].Word, Word))
            continue;
        // Candidates are filed in list order: the first that matches wins.
        for (std::uint32_t i = slot.First; i < slot.First + slot.Count; ++i) {
            const TCandidate& candidate = FCandidates[i];
            if (candidate.CaseSensitive && candidate.Word != Word)
                continue;
            int& list = candidate.AloneOnLine ? match.AloneList : match.List;
            if (list < 0)
                list = candidate.List;
        }
        return match;
    }
    return match;
}

int TSyntaxLexicon::FindWordList(std::string_view Word, bool AloneOnLine) const {
    TWordMatch match = MatchWord(Word);
    return AloneOnLine && match.AloneList >= 0 ? match.AloneList : match.List;
}

int TSyntaxLexicon::FindStyleAt(std::u32string_view Text, bool AfterIdent) const {
    Text = Text.substr(0, TCustomStyles::LookAhead);
    if (Text.empty())
        return -1;
    for (size_t i = 0; i < FStyles.size(); ++i)
        if (Text.starts_with(FStyles[i].BeginText) && !(AfterIdent && FStyles[i].AtWordStart))
            return static_cast<int>(i);
    return -1;
}

} // namespace sourceedit

#include "SyntaxLexicon.h"

#include "CharClasses.h"

#include <algorithm>

namespace sourceedit {

namespace {

char AsciiUpper(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

} // namespace

void TSyntaxLexicon::Follow(const TSyntaxColoring& Settings) {
    if (FBuilt && FGeneration == Settings.Generation())
        return;
    Build(Settings);
    FBuilt = true;
    FGeneration = Settings.Generation();
}

void TSyntaxLexicon::Build(const TSyntaxColoring& Settings) {
    FWords.clear();
    FLongestWord = 0;
    const TWordLists& lists = Settings.WordLists();
    for (int i = 0; i < lists.Count(); ++i) {
        const TWordList& list = *lists.Items(i);
        for (const std::string& word : list.Words().Items()) {
            std::string key = word;
            std::transform(key.begin(), key.end(), key.begin(), AsciiUpper);
            FWords[key].push_back(TCandidate{i, list.CaseSensitive(), word});
            FLongestWord = std::max(FLongestWord, word.size());
        }
    }

    FStyles.clear();
    FBeginsWith.reset();
    FBeginsAboveAscii = false;
    FAnyBegins = false;
    FBeginsInIdentifiers = false;
    FLookAhead = 1;
    const TCustomStyles& styles = Settings.CustomStyles();
    for (int i = 0; i < styles.Count(); ++i) {
        const TCustomStyle& style = *styles.Items(i);
        FStyles.push_back(TStyle{style.BeginText(), style.EndText(), style.IgnoreChar(),
                                 style.Switchable(), style.DontSwitchToIndex1(),
                                 style.DontSwitchToIndex2()});
        if (style.Switchable())
            FLookAhead = std::max(FLookAhead, static_cast<int>(style.EndText().size()));
        const std::u32string& begin = style.BeginText();
        if (begin.size() > static_cast<size_t>(TCustomStyles::LookAhead))
            continue; // never matches
        FLookAhead = std::max(FLookAhead, static_cast<int>(begin.size()));
        if (begin.empty()) {
            FAnyBegins = true;
            FBeginsInIdentifiers = true;
        } else if (begin[0] < 128) {
            FBeginsWith.set(begin[0]);
            FBeginsInIdentifiers = FBeginsInIdentifiers || IsIdentChar(begin[0]);
        } else {
            FBeginsAboveAscii = true;
        }
    }
}

int TSyntaxLexicon::FindWordList(std::string_view Word) const {
    if (Word.size() > FLongestWord || FWords.empty())
        return -1;
    char key[256];
    std::string folded;
    std::string_view lookup;
    if (Word.size() <= sizeof key) {
        std::transform(Word.begin(), Word.end(), key, AsciiUpper);
        lookup = std::string_view(key, Word.size());
    } else {
        folded.assign(Word);
        std::transform(folded.begin(), folded.end(), folded.begin(), AsciiUpper);
        lookup = folded;
    }
    auto found = FWords.find(lookup);
    if (found == FWords.end())
        return -1;
    // Candidates are filed in list order: the first that matches wins.
    for (const TCandidate& candidate : found->second)
        if (!candidate.CaseSensitive || candidate.Word == Word)
            return candidate.List;
    return -1;
}

int TSyntaxLexicon::FindStyleAt(std::u32string_view Text) const {
    Text = Text.substr(0, TCustomStyles::LookAhead);
    if (Text.empty())
        return -1;
    for (size_t i = 0; i < FStyles.size(); ++i)
        if (Text.starts_with(FStyles[i].BeginText))
            return static_cast<int>(i);
    return -1;
}

} // namespace sourceedit

#include "StringList.h"

#include <algorithm>
#include <array>

namespace sourceedit {

namespace {

// A weight per byte: control characters, punctuation in list order, digits, letters (one weight
// for both cases), then the bytes of other characters.
std::array<int, 256> MakeWeights() {
    std::array<int, 256> weights{};
    int next = 0;
    for (int c = 0; c < 0x20; ++c)
        weights[static_cast<size_t>(c)] = next++;
    weights[0x7F] = next++;
    for (unsigned char c : std::string_view("'- !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>"))
        weights[c] = next++;
    for (int c = '0'; c <= '9'; ++c)
        weights[static_cast<size_t>(c)] = next++;
    for (int c = 'a'; c <= 'z'; ++c) {
        weights[static_cast<size_t>(c)] = next;
        weights[static_cast<size_t>(c - 'a' + 'A')] = next++;
    }
    for (int c = 0x80; c < 0x100; ++c)
        weights[static_cast<size_t>(c)] = next++;
    return weights;
}

const std::array<int, 256> Weights = MakeWeights();

} // namespace

int CompareText(std::string_view A, std::string_view B) {
    size_t common = std::min(A.size(), B.size());
    for (size_t i = 0; i < common; ++i) {
        int a = Weights[static_cast<unsigned char>(A[i])];
        int b = Weights[static_cast<unsigned char>(B[i])];
        if (a != b)
            return a < b ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : A.size() < B.size() ? -1 : 1;
}

void TStringList::Changed() {
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TStringList::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TStringList::Add(std::string_view S) {
    if (!FSorted) {
        FStrings.emplace_back(S);
    } else {
        auto at = std::lower_bound(
            FStrings.begin(), FStrings.end(), S,
            [](const std::string& E, std::string_view V) { return CompareText(E, V) < 0; });
        if (at != FStrings.end() && CompareText(*at, S) == 0)
            return;
        FStrings.emplace(at, S);
    }
    Changed();
}

void TStringList::Delete(int Index) {
    if (Index < 0 || Index >= Count())
        return;
    FStrings.erase(FStrings.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (FStrings.empty())
        return;
    FStrings.clear();
    Changed();
}

int TStringList::IndexOf(std::string_view S) const {
    for (size_t i = 0; i < FStrings.size(); ++i)
        if (CompareText(FStrings[i], S) == 0)
            return static_cast<int>(i);
    return -1;
}

void TStringList::SetStrings(const std::vector<std::string>& Strings) {
    BeginUpdate();
    FStrings.clear();
    for (const std::string& s : Strings)
        Add(s);
    EndUpdate();
}

void TStringList::Assign(const memo::TPersistent* Source) {
    auto* source = dynamic_cast<const TStringList*>(Source);
    if (source == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (source != this)
        SetStrings(source->FStrings);
}

} // namespace sourceedit

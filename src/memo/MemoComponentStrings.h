#pragma once
// Lines: the editor's text as a list of lines. Every change goes through the edit primitive, so
// it can be undone, moves the ranges and repaints.
#include <string>
#include <string_view>
#include <vector>

namespace memo {

class TMemoComponent;

class TMemoComponentStrings {
public:
    explicit TMemoComponentStrings(TMemoComponent* Editor) : FEditor(Editor) {}

    // 0 for an empty text; a text ending in CR LF has a last, empty line.
    int Count() const { return GetCount(); }
    int GetCount() const;
    // Index is 0-based.
    std::u32string Get(int Index) const;
    void Put(int Index, std::u32string_view S);
    void Insert(int Index, std::u32string_view S);
    void Add(std::u32string_view S) { Insert(Count(), S); }
    void Delete(int Index);
    void Clear();
    std::u32string GetTextStr() const;
    void SetTextStr(std::u32string_view S);
    // Copies all lines in, as one edit.
    void Assign(const std::vector<std::u32string>& Lines);

private:
    void Replace(int Start, int End, std::u32string_view S);

    TMemoComponent* FEditor;
};

} // namespace memo

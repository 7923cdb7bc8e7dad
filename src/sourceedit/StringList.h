#pragma once
// TStringList: a list of strings with a change event. A sorted list keeps its strings in the order
// of CompareText and holds each of them once, letter case aside.
#include "ObjList.h"

#include <string>
#include <string_view>
#include <vector>

namespace sourceedit {

// Orders strings as the word lists are sorted: letters without regard to case, digits before
// letters, and punctuation before both in the order ! & | + < = > that users see in the lists.
// Bytes above 127 (UTF-8) come last, by value. 0 when A and B differ in letter case only.
int CompareText(std::string_view A, std::string_view B);

class TStringList : public memo::TPersistent {
public:
    explicit TStringList(bool Sorted = false) : FSorted(Sorted) {}

    bool Sorted() const { return FSorted; }
    int Count() const { return static_cast<int>(FStrings.size()); }
    const std::string& Strings(int Index) const { return FStrings.at(static_cast<size_t>(Index)); }
    const std::vector<std::string>& Items() const { return FStrings; }
    // Unsorted: at the end. Sorted: at its place, or nowhere when it is there already.
    void Add(std::string_view S);
    void Delete(int Index);
    void Clear();
    // The index of S (ignoring letter case), -1 when absent.
    int IndexOf(std::string_view S) const;
    // Replaces every string by those of Source, with one change notification.
    void Assign(const memo::TPersistent* Source) override;
    void SetStrings(const std::vector<std::string>& Strings);

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    memo::TNotifyEvent OnChange;

private:
    void Changed();

    std::vector<std::string> FStrings;
    bool FSorted;
    int FUpdateCount = 0;
};

} // namespace sourceedit

#pragma once
// Field definitions (what a column is) and fields (its value in the current record).
#include "FieldTypes.h"
#include "ResultColumns.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::ado {

class TCustomADODataSet;

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int FieldNo = 0; // 1-based
    bool Required = false;
    ResultColumn Column;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    const TFieldDef& operator[](int index) const { return defs_.at(static_cast<size_t>(index)); }
    const TFieldDef* Find(std::string_view name) const;
    void Assign(const std::vector<ResultColumn>& columns);
    void Clear() { defs_.clear(); }
    auto begin() const { return defs_.begin(); }
    auto end() const { return defs_.end(); }

private:
    std::vector<TFieldDef> defs_;
};

class TField {
public:
    TField(TCustomADODataSet& dataSet, const TFieldDef& def, int index)
        : dataSet_(dataSet), def_(def), index_(index) {}

    const std::string& FieldName() const { return def_.Name; }
    TFieldType DataType() const { return def_.DataType; }
    int Size() const { return def_.Size; }
    int Index() const { return index_; }
    const TFieldDef& Def() const { return def_; }
    TCustomADODataSet& DataSet() const { return dataSet_; }
    bool IsBlob() const { return isBlobType(def_.DataType); }
    bool IsBinary() const { return isBinaryType(def_.DataType); }

    // The value in the current record (or the record being edited); a null reads as "".
    bool IsNull() const;
    // Text as the driver formats it; bytes as "0x" and hexadecimal digits.
    std::string AsString() const;
    // The stored bytes: UTF-8 text, or the binary content.
    std::string_view AsBytes() const;

    // These need the dataset in edit or insert state.
    void SetAsString(const std::string& text); // binary fields take hexadecimal digits
    void SetAsBytes(std::string_view bytes);
    void Clear();
    // Replaces the content with the bytes of a regular file; a file that cannot be read whole
    // (missing, unreadable, not a regular file, over 2 GB) leaves the field as it was.
    void LoadFromFile(const std::string& path);

private:
    TCustomADODataSet& dataSet_;
    const TFieldDef& def_;
    int index_;
};

// Hexadecimal text of bytes ("0x0102") and back; EDatabaseError for text that is not hex.
std::string bytesToHex(std::string_view bytes);
void appendHex(std::string_view bytes, std::string& out);
std::string hexToBytes(std::string_view text);

} // namespace velmora::ado

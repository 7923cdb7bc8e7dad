#pragma once
// A write stream over a blob field: what is written replaces the field's whole content when the
// stream is closed, or destroyed in the normal course; a stream destroyed by an error (left
// while an exception unwinds) stores nothing, so that the field keeps its value.
#include <string>

namespace velmora::ado {

class TField;

class TBlobStream {
public:
    // The field's dataset must be in edit or insert state.
    explicit TBlobStream(TField& field);
    ~TBlobStream();
    TBlobStream(const TBlobStream&) = delete;
    TBlobStream& operator=(const TBlobStream&) = delete;

    void Write(const char* data, size_t size);
    // Stores the bytes written into the field; later writes are refused.
    void Close();

private:
    TField& field_;
    std::string content_;
    bool closed_ = false;
    int exceptionsAtStart_;
};

} // namespace velmora::ado

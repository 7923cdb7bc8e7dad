#include "BlobStream.h"

#include "DataSet.h"
#include "DatabaseError.h"
#include "Field.h"

#include <exception>

namespace velmora::ado {

TBlobStream::TBlobStream(TField& field)
    : field_(field), exceptionsAtStart_(std::uncaught_exceptions()) {
    field.DataSet().CheckEditing();
}

TBlobStream::~TBlobStream() {
    if (std::uncaught_exceptions() > exceptionsAtStart_)
        return;
    try {
        Close();
    } catch (const EDatabaseError&) {
        // A destructor cannot report; Close() is there for callers that want the error.
    }
}

void TBlobStream::Write(const char* data, size_t size) {
    if (closed_)
        throw EDatabaseError("The blob stream is closed");
    content_.append(data, size);
}

void TBlobStream::Close() {
    if (closed_)
        return;
    closed_ = true;
    field_.SetAsBytes(content_);
}

} // namespace velmora::ado

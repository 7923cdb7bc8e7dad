#include "Command.h"

#include "Connection.h"
#include "DatabaseError.h"

namespace velmora::ado {

TRecordset TADOCommand::Execute(long& recordsAffected) {
    if (!connection_)
        throw EDatabaseError(name_ + ": Missing Connection or ConnectionString");
    TRecordset recordset = connection_->Execute(commandText_);
    recordsAffected = recordset.recordsAffected;
    return recordset;
}

TRecordset TADOCommand::Execute() {
    long ignored = 0;
    return Execute(ignored);
}

} // namespace velmora::ado

#pragma once
// TADOCommand: runs a text on the connection and returns its first result with the number of
// records affected.
#include "Recordset.h"

#include <string>

namespace velmora::ado {

class TADOConnection;

class TADOCommand {
public:
    explicit TADOCommand(std::string name = "ADOCommand1") : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    TADOConnection* Connection() const { return connection_; }
    void SetConnection(TADOConnection* connection) { connection_ = connection; }
    const std::string& CommandText() const { return commandText_; }
    void SetCommandText(const std::string& text) { commandText_ = text; }

    // The first result (closed when it has no columns); `recordsAffected` gets its count.
    TRecordset Execute(long& recordsAffected);
    TRecordset Execute();

private:
    std::string name_;
    TADOConnection* connection_ = nullptr;
    std::string commandText_;
};

} // namespace velmora::ado

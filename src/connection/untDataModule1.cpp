#include "untDataModule1.h"

#include "Cursor.h"
#include "ServerWait.h"

using namespace velmora::ado;

TDataModule1* DataModule1 = nullptr;

TDataModule1::TDataModule1() {
    ADOCommand1.SetConnection(&ADOConnection1);
    ADOTable1.SetConnection(&ADOConnection1);
    ADOQuery1.SetConnection(&ADOConnection1);
    ADOStoredProc1.SetConnection(&ADOConnection1);
    ADOConnection1.SetCallRunner(WaitInWindows());
    attachHandlers();
    DataModule1 = this;
}

TDataModule1::~TDataModule1() {
    if (DataModule1 == this)
        DataModule1 = nullptr;
}

void TDataModule1::attachHandlers() {
    auto handler = [this](void (TDataModule1::*method)(TADOConnection&)) {
        return [this, method](TADOConnection& sender) { (this->*method)(sender); };
    };
    ADOConnection1.OnBeforeConnect = handler(&TDataModule1::ADOConnection1BeforeConnect);
    ADOConnection1.OnWillConnect = handler(&TDataModule1::ADOConnection1WillConnect);
    ADOConnection1.OnLogin = handler(&TDataModule1::ADOConnection1Login);
    ADOConnection1.OnConnectComplete = handler(&TDataModule1::ADOConnection1ConnectComplete);
    ADOConnection1.OnAfterConnect = handler(&TDataModule1::ADOConnection1AfterConnect);
    ADOConnection1.OnBeforeDisconnect = handler(&TDataModule1::ADOConnection1BeforeDisconnect);
    ADOConnection1.OnDisconnect = handler(&TDataModule1::ADOConnection1Disconnect);
    ADOConnection1.OnAfterDisconnect = handler(&TDataModule1::ADOConnection1AfterDisconnect);
    ADOConnection1.OnWillExecute = handler(&TDataModule1::ADOConnection1WillExecute);
    ADOConnection1.OnExecuteComplete = handler(&TDataModule1::ADOConnection1ExecuteComplete);
    ADOConnection1.OnBeginTransComplete = handler(&TDataModule1::ADOConnection1BeginTransComplete);
    ADOConnection1.OnCommitTransComplete =
        handler(&TDataModule1::ADOConnection1CommitTransComplete);
    ADOConnection1.OnRollbackTransComplete =
        handler(&TDataModule1::ADOConnection1RollbackTransComplete);
    ADOConnection1.OnInfoMessage = [this](TADOConnection& sender, const TADOError& error) {
        ADOConnection1InfoMessage(sender, error);
    };
    ADOConnection1.OnFetchCancelled = [this](TADOConnection& sender, long rows) {
        ADOConnection1FetchCancelled(sender, rows);
    };
    ADOConnection1.OnReconnectToDatabase = [this](TADOConnection& sender,
                                                  const std::string& database) {
        ADOConnection1ReconnectToDatabase(sender, database);
    };
}

void TDataModule1::writeLog(const QString& event) {
    if (logSink_)
        logSink_("ADO Connection : " + event);
}

QString TDataModule1::FieldTypeName(int code) const {
    return QString::fromStdString(fieldTypeName(code));
}

QString TDataModule1::ParameterDirectionName(int code) const {
    return QString::fromStdString(parameterDirectionName(code));
}

void TDataModule1::ADOConnection1BeforeConnect(TADOConnection&) {
    SetHourglassCursor();
    writeLog("Before Connect");
}

void TDataModule1::ADOConnection1WillConnect(TADOConnection&) {
    writeLog("Will Connect");
}

void TDataModule1::ADOConnection1Login(TADOConnection&) {
    writeLog("Login");
}

void TDataModule1::ADOConnection1ConnectComplete(TADOConnection&) {
    SetArrowCursor();
    writeLog("Connect Complete");
}

void TDataModule1::ADOConnection1AfterConnect(TADOConnection&) {
    SetArrowCursor();
    writeLog("After Connect");
}

void TDataModule1::ADOConnection1BeforeDisconnect(TADOConnection&) {
    writeLog("Before Disconnect");
}

void TDataModule1::ADOConnection1Disconnect(TADOConnection&) {
    writeLog("Disconnect");
}

void TDataModule1::ADOConnection1AfterDisconnect(TADOConnection&) {
    writeLog("After Disconnect");
}

void TDataModule1::ADOConnection1WillExecute(TADOConnection&) {
    SetHourglassCursor();
    writeLog("Will Execute");
}

void TDataModule1::ADOConnection1ExecuteComplete(TADOConnection&) {
    SetArrowCursor();
    writeLog("Execute Complete");
}

void TDataModule1::ADOConnection1InfoMessage(TADOConnection&, const TADOError& error) {
    writeLog("Info Message (" + QString::fromStdString(error.Description) + ")");
}

void TDataModule1::ADOConnection1BeginTransComplete(TADOConnection&) {
    writeLog("Begin Transaction Complete");
}

void TDataModule1::ADOConnection1CommitTransComplete(TADOConnection&) {
    writeLog("Commit Transaction Complete");
}

void TDataModule1::ADOConnection1RollbackTransComplete(TADOConnection&) {
    writeLog("Rollback Transaction Complete");
}

// Not a notification of ADO's own: said as it is, without the connection's prefix.
void TDataModule1::ADOConnection1FetchCancelled(TADOConnection&, long rows) {
    if (logSink_)
        logSink_("Cancelled after " + RowsText(rows));
}

void TDataModule1::ADOConnection1ReconnectToDatabase(TADOConnection&, const std::string& database) {
    writeLog("Reconnect to " + QString::fromStdString(database) +
             " (the server does not switch databases with USE)");
}

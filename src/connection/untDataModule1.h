#pragma once
// TDataModule1: owns the program's one connection and its result objects, turns every
// notification of the connection into a log line (with the hourglass while a connection opens
// or a command runs), and names field types and parameter directions. The windows wait for the
// connection's calls (ServerWait.h).
#include "Ado.h"

#include <QString>
#include <functional>

class TDataModule1 {
public:
    using TLogSink = std::function<void(const QString& line)>;

    TDataModule1();
    ~TDataModule1();
    TDataModule1(const TDataModule1&) = delete;
    TDataModule1& operator=(const TDataModule1&) = delete;

    // Where the log lines go (the main window's WriteLog); without one they are dropped.
    void SetLogSink(TLogSink sink) { logSink_ = std::move(sink); }

    // Declared first: the connection outlives the objects that use it.
    velmora::ado::TADOConnection ADOConnection1;
    velmora::ado::TADOCommand ADOCommand1;
    velmora::ado::TADOTable ADOTable1;
    velmora::ado::TADOQuery ADOQuery1;
    velmora::ado::TADOStoredProc ADOStoredProc1;
    velmora::ado::TADODataSet ADODataSet1;

    QString FieldTypeName(int code) const;
    QString ParameterDirectionName(int code) const;

    void ADOConnection1BeforeConnect(velmora::ado::TADOConnection& sender);
    void ADOConnection1WillConnect(velmora::ado::TADOConnection& sender);
    void ADOConnection1Login(velmora::ado::TADOConnection& sender);
    void ADOConnection1ConnectComplete(velmora::ado::TADOConnection& sender);
    void ADOConnection1AfterConnect(velmora::ado::TADOConnection& sender);
    void ADOConnection1BeforeDisconnect(velmora::ado::TADOConnection& sender);
    void ADOConnection1Disconnect(velmora::ado::TADOConnection& sender);
    void ADOConnection1AfterDisconnect(velmora::ado::TADOConnection& sender);
    void ADOConnection1WillExecute(velmora::ado::TADOConnection& sender);
    void ADOConnection1ExecuteComplete(velmora::ado::TADOConnection& sender);
    void ADOConnection1InfoMessage(velmora::ado::TADOConnection& sender,
                                   const velmora::ado::TADOError& error);
    void ADOConnection1BeginTransComplete(velmora::ado::TADOConnection& sender);
    void ADOConnection1CommitTransComplete(velmora::ado::TADOConnection& sender);
    void ADOConnection1RollbackTransComplete(velmora::ado::TADOConnection& sender);
    void ADOConnection1FetchCancelled(velmora::ado::TADOConnection& sender, long rows);
    void ADOConnection1ReconnectToDatabase(velmora::ado::TADOConnection& sender,
                                           const std::string& database);

private:
    void writeLog(const QString& event);
    void attachHandlers();

    TLogSink logSink_;
};

// The program's one data module, while it exists.
extern TDataModule1* DataModule1;

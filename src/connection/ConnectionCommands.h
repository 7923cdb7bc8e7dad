#pragma once
// What the connection dialogs ask of the window that owns the connection.
#include <QString>

// How an attempt to open the connection ended.
struct TConnectResult {
    bool Connected = false;
    // The server refused the user name or password.
    bool LoginRefused = false;
    // Why it failed, as the server or the driver says it.
    QString Message;
};

class TConnectionCommands {
public:
    virtual ~TConnectionCommands() = default;
    virtual void CloseConnection() = 0;
    virtual void SetDefaultDatabase(const QString& Name) = 0;
    virtual bool ConnectionOpen() const = 0;
    // Asked before the connection closes: settles a row of a table held in edit, asking the
    // user; false when the row stays in edit and the command must stop.
    virtual bool SettlePendingEdit() = 0;
    // Opens the connection from a connection string, or from a connection file of the current
    // directory when IsFileName is set, and reports the outcome in the window.
    virtual TConnectResult OpenConnection(const QString& Text, bool IsFileName) = 0;
};

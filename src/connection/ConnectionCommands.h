#pragma once
// What the connection dialogs ask of the window that owns the connection.
#include <QString>

class TConnectionCommands {
public:
    virtual ~TConnectionCommands() = default;
    virtual void CloseConnection() = 0;
    virtual void SetDefaultDatabase(const QString& Name) = 0;
    virtual bool ConnectionOpen() const = 0;
    // Opens the connection from a connection string, or from a connection file of the current
    // directory when IsFileName is set, and reports the outcome in the window.
    virtual void OpenConnection(const QString& Text, bool IsFileName) = 0;
};

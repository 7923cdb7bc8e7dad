#pragma once
// The connection strings the connect dialog builds from what the user typed. Typed values are
// quoted where they need it, so a ";" in a password stays part of the password and cannot add
// keys of its own; values that need no quoting appear exactly as typed.
#include <QString>

QString SqlServerLoginString(const QString& Server, const QString& UserName,
                             const QString& Password);
QString WindowsAuthenticationString(const QString& Server, const QString& WorkstationId);

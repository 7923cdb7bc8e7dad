#pragma once
// The connection strings the connect dialog builds from what the user typed. Typed values are
// quoted where they need it, so a ";" in a password stays part of the password and cannot add
// keys of its own; values that need no quoting appear exactly as typed.
//
// Encryption is added only when asked for: with Optional and no trust the strings are the
// templates as they always were (the Windows-authentication one says "Use Encryption for
// Data=False").
#include "SqlServerEncryption.h"

#include <QString>

struct TEncryptionChoice {
    velmora::ado::TEncryptionMode Mode = velmora::ado::TEncryptionMode::Optional;
    bool TrustServerCertificate = false;
};

QString SqlServerLoginString(const QString& Server, const QString& UserName,
                             const QString& Password, const TEncryptionChoice& Encryption = {});
QString WindowsAuthenticationString(const QString& Server, const QString& WorkstationId,
                                    const TEncryptionChoice& Encryption = {});

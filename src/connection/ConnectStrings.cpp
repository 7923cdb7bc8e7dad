#include "ConnectStrings.h"

#include "ConnectionString.h"

namespace {

QString Quoted(const QString& Value) {
    return QString::fromStdString(velmora::ado::quoteConnectionStringValue(Value.toStdString()));
}

// The value "Use Encryption for Data" takes in SQLOLEDB's strings: True and False, or the mode
// that has no such spelling.
QString EncryptionValue(velmora::ado::TEncryptionMode Mode) {
    switch (Mode) {
    case velmora::ado::TEncryptionMode::Optional:
        return "False";
    case velmora::ado::TEncryptionMode::Mandatory:
        return "True";
    case velmora::ado::TEncryptionMode::Strict:
        break;
    }
    return "Strict";
}

QString TrustKey(const TEncryptionChoice& Encryption) {
    return Encryption.TrustServerCertificate ? ";Trust Server Certificate=True" : "";
}

} // namespace

QString SqlServerLoginString(const QString& Server, const QString& UserName,
                             const QString& Password, const TEncryptionChoice& Encryption) {
    QString text = "Provider=SQLOLEDB.1;Password=" + Quoted(Password) +
                   ";Persist Security Info=True;User ID=" + Quoted(UserName) +
                   ";Data Source=" + Quoted(Server);
    if (Encryption.Mode != velmora::ado::TEncryptionMode::Optional)
        text += ";Use Encryption for Data=" + EncryptionValue(Encryption.Mode);
    return text + TrustKey(Encryption);
}

QString WindowsAuthenticationString(const QString& Server, const QString& WorkstationId,
                                    const TEncryptionChoice& Encryption) {
    return "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Initial Catalog=master;Data Source=" +
           Quoted(Server) +
           ";Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;Workstation ID=" +
           Quoted(WorkstationId) + ";Use Encryption for Data=" + EncryptionValue(Encryption.Mode) +
           ";Tag with column collation when possible=False" + TrustKey(Encryption) + ";";
}

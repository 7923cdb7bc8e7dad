#include "ConnectStrings.h"

#include "ConnectionString.h"

namespace {

QString Quoted(const QString& Value) {
    return QString::fromStdString(velmora::ado::quoteConnectionStringValue(Value.toStdString()));
}

} // namespace

QString SqlServerLoginString(const QString& Server, const QString& UserName,
                             const QString& Password) {
    return "Provider=SQLOLEDB.1;Password=" + Quoted(Password) +
           ";Persist Security Info=True;User ID=" + Quoted(UserName) +
           ";Data Source=" + Quoted(Server);
}

QString WindowsAuthenticationString(const QString& Server, const QString& WorkstationId) {
    return "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Initial Catalog=master;Data Source=" +
           Quoted(Server) +
           ";Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;Workstation ID=" +
           Quoted(WorkstationId) +
           ";Use Encryption for Data=False;Tag with column collation when possible=False;";
}

// SQL Server connection strings: their translation for FreeTDS and other drivers, and a real
// FreeTDS connect attempt against a closed loopback port.
#include "AdoTestSupport.h"
#include "ClosedLoopbackPort.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

std::optional<std::string> noOverride(const std::string&) {
    return std::nullopt;
}

std::string translated(const std::string& oleDb,
                       const EnvironmentLookup& environment = noOverride) {
    return translateConnectionString(oleDb, environment).odbcConnectionString;
}

const std::string freeTdsSettings = "TDS_Version=7.4;ClientCharset=UTF-8;";
// Every string names the program to the server, unless it names another.
const std::string freeTdsTail = "APP=Velmora 2;" + freeTdsSettings;

struct TranslationCase {
    const char* oleDb;
    std::string odbc;
};

} // namespace

TEST(SqlServerConnectionString, EveryKeyTranslatesForFreeTds) {
    const std::vector<TranslationCase> cases = {
        {"Provider=SQLOLEDB.1;Data Source=.", "Driver=FreeTDS;Server=localhost;" + freeTdsTail},
        {"Provider=SQLOLEDB;Data Source=(local)", "Driver=FreeTDS;Server=localhost;" + freeTdsTail},
        {"Provider=SQLOLEDB;Data Source=db1\\SQLEXPRESS",
         "Driver=FreeTDS;Server=db1\\SQLEXPRESS;" + freeTdsTail},
        {"Provider=SQLOLEDB;Data Source=.\\SQLEXPRESS",
         "Driver=FreeTDS;Server=localhost\\SQLEXPRESS;" + freeTdsTail},
        {"Provider=SQLOLEDB;Data Source=tcp:db1,1500",
         "Driver=FreeTDS;Server=db1;Port=1500;" + freeTdsTail},
        {"Provider=SQLOLEDB.1;User ID=sa;Password=pw;Initial Catalog=master",
         "Driver=FreeTDS;UID=sa;PWD=pw;Database=master;" + freeTdsTail},
        {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Workstation ID=ws1;Application Name=Velmora",
         "Driver=FreeTDS;WSID=ws1;APP=Velmora;Trusted_Connection=Yes;" + freeTdsSettings},
        // A checked encryption names the server through the connection's own freetds.conf.
        {"Provider=SQLOLEDB.1;Data Source=db1,1500;Packet Size=4096;Use Encryption for Data=True;"
         "Current Language=us_english",
         "Driver=FreeTDS;Servername=velmora-checked;Language=us_english;PacketSize=4096;"
         "Encryption=require;" +
             freeTdsTail},
        {"Provider=SQLOLEDB.1;Use Encryption for Data=False;Persist Security Info=True;"
         "Use Procedure for Prepare=1;Auto Translate=True;Tag with column collation when "
         "possible=False",
         "Driver=FreeTDS;" + freeTdsTail},
    };
    for (const TranslationCase& example : cases) {
        SCOPED_TRACE(example.oleDb);
        EXPECT_EQ(translated(example.oleDb), example.odbc);
    }
}

TEST(SqlServerConnectionString, ValuesAreQuotedNeverSpliced) {
    EXPECT_EQ(translated("Provider=SQLOLEDB.1;Password=\"x;Data Source=evil\";Data Source=good"),
              "Driver=FreeTDS;Server=good;PWD={x;Data Source=evil};" + freeTdsTail);
    // FreeTDS keeps a doubled "}" doubled: braces hold the value as it is.
    EXPECT_EQ(translated("Provider=SQLOLEDB.1;Password='}{;'"),
              "Driver=FreeTDS;PWD={}{;};" + freeTdsTail);
    EXPECT_EQ(translated("Provider=SQLOLEDB.1;Password=a}b"),
              "Driver=FreeTDS;PWD=a}b;" + freeTdsTail);
    EXPECT_THROW(translated("Provider=SQLOLEDB.1;Password=\"a};b\""), EDatabaseError);
    // The last of a repeated key counts, and it is sent once.
    EXPECT_EQ(translated("Provider=SQLOLEDB.1;Data Source=a;User ID=u1;Data Source=b;user id=u2"),
              "Driver=FreeTDS;Server=b;UID=u2;" + freeTdsTail);
}

TEST(SqlServerConnectionString, AnotherDriverNamedByTheEnvironment) {
    auto microsoft = [](const std::string& name) -> std::optional<std::string> {
        if (name == sqlServerDriverVariable)
            return "ODBC Driver 18 for SQL Server";
        return std::nullopt;
    };
    EXPECT_EQ(translated("Provider=SQLOLEDB.1;Data Source=tcp:db1,1500;User ID=sa;"
                         "Packet Size=4096;Use Encryption for Data=True",
                         microsoft),
              "Driver=ODBC Driver 18 for SQL Server;Server=db1,1500;UID=sa;Encrypt=yes;"
              "TrustServerCertificate=no;APP=Velmora 2;");
    const OdbcTarget target = translateConnectionString("Provider=SQLOLEDB.1", microsoft);
    EXPECT_EQ(target.driver, "ODBC Driver 18 for SQL Server");
    EXPECT_EQ(target.provider, "SQLOLEDB.1");
}

TEST(ConnectionStringTranslation, ConnectTimeoutIsSecondsWithTheProvidersDefault) {
    const auto timeout = [](const std::string& oleDb) {
        return translateConnectionString(oleDb, noOverride).connectTimeoutSeconds;
    };
    EXPECT_EQ(timeout("Provider=SQLOLEDB.1;Data Source=db1"), 15);
    EXPECT_EQ(timeout("Provider=SQLOLEDB.1;Data Source=db1;Connect Timeout=7"), 7);
    EXPECT_EQ(timeout("Provider=SQLOLEDB.1;Connection Timeout=30"), 30);
    // 0 means "wait for ever" to the providers; a login here always has a bound.
    EXPECT_EQ(timeout("Provider=SQLOLEDB.1;Connect Timeout=0"), 15);
    EXPECT_EQ(timeout("Provider=MSDASQL.1;Connect Timeout=3;Extended Properties=\"DSN=x\""), 3);
    // It is the login's limit, not a key the drivers are given.
    EXPECT_EQ(translated("Provider=MSDASQL.1;Connect Timeout=3;Extended Properties=\"DSN=x\""),
              "DSN=x;");
    EXPECT_EQ(translated("Provider=SQLOLEDB.1;Connect Timeout=3"), "Driver=FreeTDS;" + freeTdsTail);
    EXPECT_THROW(timeout("Provider=SQLOLEDB.1;Connect Timeout=soon"), EDatabaseError);
    EXPECT_THROW(timeout("Provider=SQLOLEDB.1;Connect Timeout=-1"), EDatabaseError);
}

TEST(OdbcProviderConnectionString, ExtendedPropertiesAndDirectKeysReachTheDriverManager) {
    EXPECT_EQ(
        translated("Provider=MSDASQL.1;Extended Properties=\"Driver=SQLite3;Database=a b.db\""),
        "Driver=SQLite3;Database=a b.db;");
    EXPECT_EQ(translated("Provider=MSDASQL;DSN=Sales;User ID=u;Password=p;Initial Catalog=c"),
              "DSN=Sales;UID=u;PWD=p;Database=c;");
    EXPECT_EQ(translated("Driver=SQLite3;Database=x.db"), "Driver=SQLite3;Database=x.db;");
    EXPECT_EQ(translated("Provider=MSDASQL;Data Source=Sales"), "DSN=Sales;");
    EXPECT_THROW(translated("Provider=MSDASQL;Persist Security Info=False"), EDatabaseError);
}

TEST(SqlServerConnection, ClosedPortGivesTheDriversErrorAfterTheNotificationsInOrder) {
    VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
    TADOConnection connection;
    NotificationRecorder recorder(connection);
    connection.SetConnectionString("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;"
                                   "User ID=sa;Data Source=127.0.0.1," +
                                   std::to_string(closedLoopbackPort()));
    try {
        connection.Open();
        FAIL() << "the connection opened";
    } catch (const EDatabaseError& error) {
        // The driver's text, without its "[FreeTDS][SQL Server]" tags.
        EXPECT_EQ(std::string(error.what()).rfind("Unable to connect", 0), 0u) << error.what();
        EXPECT_EQ(std::string(error.what()).find('['), std::string::npos) << error.what();
    }
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(recorder.take(), (std::vector<std::string>{"Before Connect", "Will Connect", "Login",
                                                         "Connect Complete"}));
}

TEST(SqlServerConnection, MissingDriversAreNamedWithHowToInstallThem) {
    auto errorFor = [](const std::string& driver, const std::vector<std::string>& installed) {
        try {
            ensureDriverInstalled(driver, installed);
        } catch (const EDatabaseError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(errorFor("FreeTDS", {"SQLite3"}),
              "The ODBC driver \"FreeTDS\" is not installed: unixODBC does not know it. Install "
              "the Debian package tdsodbc and register its driver with odbcinst (scripts/setup "
              "does both).");
    EXPECT_EQ(errorFor("freetds", {"FreeTDS"}), "no error");
    EXPECT_EQ(errorFor("", {}), "no error"); // a DSN: the driver manager knows it or says so
    // A library named by its path is refused, even one that is there and registered by name.
    const std::string freeTdsLibrary = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";
    for (const std::string& path :
         {std::string("/nowhere/libdriver.so"), freeTdsLibrary, std::string("odbc\\driver.dll")})
        EXPECT_EQ(errorFor(path, {"FreeTDS"}),
                  "The connection string names the ODBC driver by the path of a library, \"" +
                      path +
                      "\". Only a driver registered with odbcinst is used, by its name (such as "
                      "\"FreeTDS\" or \"SQLite3\").");
}

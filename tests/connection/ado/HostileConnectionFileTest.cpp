// Connection files are data: one that names a library by its path, or a setting that makes the
// driver manager or a driver write or read files, is refused before anything is loaded.
#include "AdoTestSupport.h"
#include "ClosedLoopbackPort.h"
#include "DataLinkFile.h"
#include "ProviderTranslation.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

class HostileConnectionFile : public ::testing::Test {
protected:
    // Opens a connection through a data link file holding ConnectionString; the error's text.
    std::string openThroughFile(const std::string& connectionString) {
        const auto udl = folder.path() / "planted.udl";
        writeDataLinkFile(udl.string(), connectionString);
        TADOConnection connection;
        connection.SetConnectionString("FILE NAME=" + quoteConnectionStringValue(udl.string()));
        const std::string error = errorOf([&] { connection.Open(); });
        EXPECT_FALSE(connection.Connected());
        return error;
    }

    TempDirectory folder;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(HostileConnectionFile, ALibraryNamedByItsPathIsNeverLoaded) {
    const auto mark = folder.path() / "mark";
    ::setenv("VELMORA_PLANTED_MARK", mark.c_str(), 1);
    const std::string library = VELMORA_PLANTED_LIBRARY;
    for (const std::string& udl :
         {"Provider=MSDASQL;Extended Properties=\"Driver=" + library + ";Database=x\"",
          "Provider=MSDASQL.1;Driver={" + library + "}", // a key of the OLE DB string itself
          "Driver=" + library}) {
        const std::string error = openThroughFile(udl);
        EXPECT_TRUE(contains(error, "by the path of a library")) << error;
        EXPECT_TRUE(contains(error, library)) << error;
        EXPECT_FALSE(std::filesystem::exists(mark)) << udl;
    }
    ::unsetenv("VELMORA_PLANTED_MARK");
}

TEST_F(HostileConnectionFile, AFileDsnThatNamesALibraryIsRefused) {
    const auto mark = folder.path() / "mark";
    ::setenv("VELMORA_PLANTED_MARK", mark.c_str(), 1);
    const auto dsn = folder.path() / "planted.dsn";
    std::ofstream(dsn) << "[ODBC]\nDRIVER=" << VELMORA_PLANTED_LIBRARY << "\n";
    const std::string error =
        openThroughFile("Provider=MSDASQL;Extended Properties=\"FILEDSN=" + dsn.string() + "\"");
    EXPECT_TRUE(contains(error, "\"FILEDSN\"")) << error;
    EXPECT_FALSE(std::filesystem::exists(mark));
    ::unsetenv("VELMORA_PLANTED_MARK");
}

TEST_F(HostileConnectionFile, SettingsThatMakeADriverWriteFilesAreRefusedWithTheirName) {
    const auto victim = folder.path() / "victim";
    const auto database = folder.path() / "db.sqlite";
    const std::string sqlite = "Driver=SQLite3;Database=" + database.string() + ";";
    struct Case {
        std::string udl;
        const char* key;
    };
    const std::vector<Case> cases = {
        {"Provider=MSDASQL;Extended Properties=\"" + sqlite + "TraceFile=" + victim.string() + "\"",
         "TraceFile"},
        {"Provider=MSDASQL;Extended Properties=\"" + sqlite + "loadext=" + victim.string() + "\"",
         "loadext"},
        // Outside Extended Properties too, and whatever the letter case.
        {"Provider=MSDASQL;Extended Properties=\"" + sqlite + "\";SAVEFILE=" + victim.string(),
         "SAVEFILE"},
        {"Provider=MSDASQL;Extended Properties=\"Driver=PostgreSQL Unicode;CommLog=1\"", "CommLog"},
        {"Provider=MSDASQL;Extended Properties=\"Driver=FreeTDS;Server=x;dumpfile=" +
             victim.string() + "\"",
         "dumpfile"},
        {"Provider=MSDASQL;Extended Properties=\"Driver=FreeTDS;Server=x;DebugFlags=0xffff\"",
         "DebugFlags"},
    };
    for (const Case& c : cases) {
        const std::string error = openThroughFile(c.udl);
        EXPECT_TRUE(contains(error, "sets \"" + std::string(c.key) + "\"")) << error;
        EXPECT_TRUE(contains(error, "files")) << error;
        EXPECT_FALSE(std::filesystem::exists(victim)) << c.udl;
        EXPECT_FALSE(std::filesystem::exists(database)) << c.udl; // nothing was opened
    }
}

// FreeTDS writes its protocol trace over the file DumpFile names as soon as it tries to connect,
// even to a port where nothing listens.
TEST_F(HostileConnectionFile, FreeTdsNeverWritesADumpFileAConnectionFileNames) {
    const auto victim = folder.path() / "victim";
    const std::string odbc =
        "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(closedLoopbackPort()) +
        ";DumpFile=" + victim.string();
    const std::string error =
        openThroughFile("Provider=MSDASQL;Extended Properties=\"" + odbc + "\"");
    EXPECT_TRUE(contains(error, "\"DumpFile\"")) << error;
    EXPECT_FALSE(std::filesystem::exists(victim));
}

TEST(ConnectionKeys, TheSqlServerProviderPassesOnlyTheKeysItTranslates) {
    const auto noOverride = [](const std::string&) { return std::optional<std::string>(); };
    const OdbcTarget target = translateConnectionString(
        "Provider=SQLOLEDB.1;Data Source=db1;DumpFile=/tmp/x;Driver=/tmp/evil.so;FILEDSN=/tmp/d",
        noOverride);
    EXPECT_EQ(target.driver, "FreeTDS");
    EXPECT_FALSE(contains(target.odbcConnectionString, "DumpFile"));
    EXPECT_FALSE(contains(target.odbcConnectionString, "evil"));
    EXPECT_FALSE(contains(target.odbcConnectionString, "FILEDSN"));
}

TEST(ConnectionKeys, OrdinarySettingsOfTheSameDriversStillPass) {
    const OdbcTarget target = translateConnectionString(
        "Provider=MSDASQL;Extended Properties=\"Driver=SQLite3;Database=/d/shop.db;Timeout=5000;"
        "StepAPI=1;NoCreat=1\"");
    EXPECT_EQ(target.odbcConnectionString,
              "Driver=SQLite3;Database=/d/shop.db;Timeout=5000;StepAPI=1;NoCreat=1;");
    const OdbcTarget dsn = translateConnectionString("Provider=MSDASQL;Data Source=shop");
    EXPECT_EQ(dsn.odbcConnectionString, "DSN=shop;");
}

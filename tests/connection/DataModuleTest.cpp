// The data module's log lines and cursor, driven by a real SQLite connection.
#include "AdoTestSupport.h"
#include "untDataModule1.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

// A log line with the cursor that was showing when it was written.
QString withCursor(const QString& line) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    const bool busy = cursor && cursor->shape() == Qt::WaitCursor;
    return line + (busy ? " [busy]" : "");
}

class DataModule : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("SQLite3"), "the SQLite3 ODBC driver");
        module.SetLogSink([this](const QString& line) { lines << withCursor(line); });
        module.ADOConnection1.SetConnectionString(
            sqliteConnectionString(directory.path() / "module.db"));
    }
    void TearDown() override {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }
    QStringList take() { return std::exchange(lines, {}); }

    TempDirectory directory;
    TDataModule1 module;
    QStringList lines;
};

} // namespace

TEST_F(DataModule, OwnsTheNamedObjectsOnItsConnection) {
    EXPECT_EQ(DataModule1, &module);
    EXPECT_EQ(module.ADOQuery1.Name(), "ADOQuery1");
    EXPECT_EQ(module.ADOTable1.Connection(), &module.ADOConnection1);
    EXPECT_EQ(module.ADOCommand1.Connection(), &module.ADOConnection1);
    EXPECT_EQ(module.ADOStoredProc1.Connection(), &module.ADOConnection1);
    EXPECT_EQ(module.ADODataSet1.Connection(), nullptr);
}

TEST_F(DataModule, ConnectExecuteAndDisconnectWriteTheirLinesWithTheHourglass) {
    module.ADOConnection1.Open();
    module.ADOCommand1.SetCommandText("create table t(x int)");
    module.ADOCommand1.Execute();
    module.ADOConnection1.Close();
    EXPECT_EQ(take(),
              (QStringList{
                  "ADO Connection : Before Connect [busy]", "ADO Connection : Will Connect [busy]",
                  "ADO Connection : Login [busy]", "ADO Connection : Connect Complete",
                  "ADO Connection : After Connect", "ADO Connection : Will Execute [busy]",
                  "ADO Connection : Execute Complete", "ADO Connection : Before Disconnect",
                  "ADO Connection : Disconnect", "ADO Connection : After Disconnect"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DataModule, AFailedStatementStillEndsWithTheArrow) {
    module.ADOConnection1.Open();
    take();
    module.ADOQuery1.SetSQL("select * from missing");
    EXPECT_THROW(module.ADOQuery1.Open(), EDatabaseError);
    EXPECT_EQ(take(), (QStringList{"ADO Connection : Will Execute [busy]",
                                   "ADO Connection : Execute Complete"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DataModule, TheHourglassIsNeverStacked) {
    module.ADOConnection1BeforeConnect(module.ADOConnection1);
    module.ADOConnection1WillExecute(module.ADOConnection1);
    module.ADOConnection1ExecuteComplete(module.ADOConnection1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DataModule, InfoMessagesAndTransactionsAreLogged) {
    module.ADOConnection1InfoMessage(
        module.ADOConnection1, TADOError{"Changed database context to 'master'.", "01000", 5701});
    EXPECT_EQ(take(),
              QStringList{"ADO Connection : Info Message (Changed database context to 'master'.)"});
    module.ADOConnection1.Open();
    take();
    module.ADOConnection1.BeginTrans();
    module.ADOConnection1.CommitTrans();
    module.ADOConnection1.BeginTrans();
    module.ADOConnection1.RollbackTrans();
    EXPECT_EQ(take(), (QStringList{"ADO Connection : Begin Transaction Complete",
                                   "ADO Connection : Commit Transaction Complete",
                                   "ADO Connection : Begin Transaction Complete",
                                   "ADO Connection : Rollback Transaction Complete"}));
}

TEST_F(DataModule, NamesFieldTypesAndParameterDirections) {
    EXPECT_EQ(module.FieldTypeName(ftAutoInc), "AutoInc");
    EXPECT_EQ(module.FieldTypeName(ftWideString), "WideString");
    EXPECT_EQ(module.FieldTypeName(99), "Unknown");
    EXPECT_EQ(module.ParameterDirectionName(pdReturnValue), "ReturnValue");
    EXPECT_EQ(module.ParameterDirectionName(pdOutput), "Output");
}

#pragma once
// The main window connected to the tests' PostgreSQL database. Each test makes its own objects
// through Admin before the window connects, named with Own so that tests running at once never
// meet, and drops them once the window has gone.
#include "AdoTestSupport.h"
#include "BrowserTestSupport.h"
#include "PostgresServer.h"
#include "StatusBar.h"

#include <string>

class PostgresWindowTest : public BrowserTest {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(velmora::test::odbcDriverInstalled("PostgreSQL Unicode"),
                        "the PostgreSQL ODBC driver");
        VELMORA_REQUIRE(velmora::test::postgresPort().has_value(),
                        "the postgres_server test fixture");
        Admin.SetConnectionString(velmora::test::postgresConnectionString());
        Admin.Open();
        Admin.Execute(MakeObjects());
        BrowserTest::SetUp();
        Window->OpenConnection(QString::fromStdString(velmora::test::postgresConnectionString()),
                               false);
        ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected")
            << Window->StatusBar1->PanelText(1).toStdString();
    }
    void TearDown() override {
        Window.reset();
        if (Admin.Connected())
            Admin.Execute(DropObjects());
    }

    // The statements that make and drop the test's objects.
    virtual std::string MakeObjects() const = 0;
    virtual std::string DropObjects() const = 0;

    static QString Own(const QString& Name) { return Name + "_" + QString::number(getpid()); }

    velmora::ado::TADOConnection Admin;
};

// The main window on SQL Server's protocol: the real FreeTDS driver against the TDS test
// server. Connecting through the dialog and a connection file, the browser, the database
// chooser, running batches, messages in the log, and servers that refuse, hang, drop or die.
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSetTableModel.h"
#include "DemoWorkspace.h"
#include "GridText.h"
#include "ResultTabs.h"
#include "ScriptEditor.h"
#include "SqlServerTypeCases.h"
#include "SqlServerWindowFixture.h"
#include "StatusBar.h"
#include "TdsServer.h"
#include "untAbout.h"
#include "untConnect.h"
#include "untDataModule1.h"
#include "untLog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <fstream>
#include <thread>

using namespace velmora;

namespace {

class SqlServerWindow : public SqlServerWindowFixture {
protected:
    // Logs in the way a user does: server, user name and password in the dialog, then Connect.
    void ConnectWithTheDialog(const QString& User, const QString& Password) {
        auto* dialog = new TfrmConnect(Window.get(), *Window);
        dialog->show();
        dialog->cbServer->setEditText(QString("127.0.0.1,%1").arg(*test::tdsServerPort()));
        dialog->edtUsername->setText(User);
        dialog->edtPassword->setText(Password);
        QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    }

    static std::string Own(const std::string& Name) {
        return Name + "_" + std::to_string(getpid());
    }

    TDemoWorkspace Workspace; // the current directory: conhist.dat, connection files
};

} // namespace

TEST_F(SqlServerWindow, TheDialogsSqlLoginConnectsAndTheBrowserListsTheServer) {
    ConnectWithTheDialog("sa", test::tdsSaPassword);
    ASSERT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    const QStringList databases{"master", "tempdb", "model", "msdb", "sample"};
    EXPECT_EQ(TopTexts(Window->tvTablesViews), databases);
    EXPECT_EQ(ComboTexts(), databases);
    // The login opens master, whose own tables are system tables: none is listed.
    EXPECT_EQ(Window->cbDatabases->currentText(), "master");
    EXPECT_EQ(Selected(Window->tvTablesViews)->text(0), "master");
    const QStringList masterTables = ChildTexts(Selected(Window->tvTablesViews));
    for (const char* table : {"tds_users", "tds_logins", "tds_databases"})
        EXPECT_FALSE(masterTables.contains(table)) << table;

    // FreeTDS keeps the login's own messages to itself; a switch's reach the log.
    DoubleClick(Window->tvTablesViews, Node(Window->tvTablesViews, "sample"));
    EXPECT_TRUE(frmLog->Text().contains(
        "ADO Connection : Info Message (Changed database context to 'sample'.)"));
    const QStringList tables = ChildTexts(Node(Window->tvTablesViews, "sample"));
    for (const char* table : {"customers", "numbers", "orders", "products", "customer_totals"})
        EXPECT_TRUE(tables.contains(table)) << table;
    EXPECT_FALSE(tables.contains("tds_procedures"));
    EXPECT_FALSE(tables.contains("sqlite_sequence"));
    // Procedures come as "name;1" and show as "name".
    const QStringList procedures = TopTexts(Window->tvStoredProcedures);
    EXPECT_EQ(procedures.mid(0, 2), (QStringList{"add_customer", "customer_orders"}));
    EXPECT_TRUE(procedures.contains("product_count"));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SqlServerWindow, FieldsShowTheirTypeNamesAndProceduresTheirParametersWithDirections) {
    Connect(test::tdsConnectionString("sample"));
    QTreeWidgetItem* orders = Node(Window->tvTablesViews, "orders");
    DoubleClick(Window->tvTablesViews, orders);
    EXPECT_EQ(ChildTexts(orders), (QStringList{"id [AutoInc] (0)", "customer_id [Integer] (0)",
                                               "product_id [Integer] (0)", "quantity [Word] (0)",
                                               "ordered [DateTime] (0)", "shipped [Date] (0)",
                                               "reference [GUID] (38)"}));
    QTreeWidgetItem* products = Node(Window->tvTablesViews, "products");
    DoubleClick(Window->tvTablesViews, products);
    EXPECT_EQ(ChildTexts(products),
              (QStringList{"id [AutoInc] (0)", "code [FixedChar] (8)", "title [String] (60)",
                           "price [BCD] (4)", "weight [Float] (0)", "stock [SmallInt] (0)",
                           "active [Bool] (0)"}));

    QTreeWidgetItem* procedure = Node(Window->tvStoredProcedures, "add_customer");
    DoubleClick(Window->tvStoredProcedures, procedure);
    EXPECT_EQ(ChildTexts(procedure),
              (QStringList{"@RETURN_VALUE [Integer] (4) ReturnValue",
                           "@name [WideString] (40) Input", "@city [WideString] (30) Input",
                           "@credit [BCD] (12) Input", "@new_id [Integer] (4) InputOutput"}));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SqlServerWindow, TheDatabaseChosenInTheComboRunsTheNextScript) {
    Connect(test::tdsConnectionString());
    ASSERT_EQ(Window->cbDatabases->currentText(), "master");
    Run("select db_name() as current_database");
    EXPECT_EQ(Result(), "master");
    const int sample = ComboTexts().indexOf("sample");
    Window->cbDatabases->setCurrentIndex(sample);
    emit Window->cbDatabases->activated(sample);
    Run("select count(*) as customers from customers");
    EXPECT_EQ(GridTitles(Grid()), QStringList{"customers"});
    EXPECT_EQ(Result(), "3");
    Run("select db_name() as current_database");
    EXPECT_EQ(Result(), "sample");
}

TEST_F(SqlServerWindow, F5OnABatchShowsRowsCountsCommandsAndErrors) {
    Connect(test::tdsConnectionString("sample"));
    const QString table = QString::fromStdString(Own("f5"));
    Run("create table " + table + " (id int identity primary key, label nvarchar(20))");
    EXPECT_EQ(Result(), "Command Executed. ");
    Run("insert into " + table + " (label) values ('one'), ('two'), ('three')");
    EXPECT_EQ(Result(), "Executed : 3 affected ");
    Run("select label from " + table + " order by id;\r\nselect count(*) from " + table);
    EXPECT_EQ(GridTitles(Grid()), QStringList{"label"});
    EXPECT_EQ(Window->StatusBar1->PanelText(2), "1 of 3 records");
    Run("select * from nowhere");
    EXPECT_EQ(Result(), "Invalid object name nowhere. "); // apostrophes go, as for every message
    Run("raiserror('Order %d can''t ship', 16, 1, 7)");
    EXPECT_EQ(Result(), "Order 7 cant ship "); // apostrophes go, as for every message
    Run("drop table " + table);
    EXPECT_EQ(Result(), "Command Executed. ");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SqlServerWindow, PrintReachesTheLogAsAnInfoMessage) {
    Connect(test::tdsConnectionString("sample"));
    Run("print 'Stock checked: 3 products'");
    EXPECT_TRUE(
        frmLog->Text().contains("ADO Connection : Info Message (Stock checked: 3 products)"));
    EXPECT_EQ(Result(), "Command Executed. ");
}

TEST_F(SqlServerWindow, AWrongPasswordKeepsTheDialogWithTheServersMessageAndThePasswordSelected) {
    Window->activateWindow();
    ConnectWithTheDialog("sa", "wrong");
    EXPECT_EQ(Panel(0), "Connect Error");
    EXPECT_TRUE(Panel(1).startsWith("Login failed for user 'sa'.")) << Panel(1).toStdString();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(Dialogs.Messages[0].Text.startsWith("Login failed for user 'sa'."))
        << Dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    TfrmConnect* dialog = Window->findChild<TfrmConnect*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->edtUsername->text(), "sa");
    EXPECT_EQ(dialog->edtPassword->selectedText(), "wrong");
    EXPECT_TRUE(QTest::qWaitFor([dialog] { return dialog->edtPassword->hasFocus(); }));

    // The right password typed over it connects, and the dialog goes.
    QTest::keyClicks(dialog->edtPassword, test::tdsSaPassword);
    QTest::keyClick(dialog->edtPassword, Qt::Key_Return);
    EXPECT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SqlServerWindow, TheServerLoginAndDatabaseShowInTheFirstPanelsTooltipAndTheAboutBox) {
    ConnectWithTheDialog("sa", test::tdsSaPassword);
    ASSERT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    const QString summary = Window->StatusBar1->PanelToolTip(0);
    EXPECT_TRUE(summary.startsWith("Server: ")) << summary.toStdString();
    EXPECT_FALSE(summary.startsWith("Server: (not reported)")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("\nLogin: sa\n")) << summary.toStdString();
    EXPECT_TRUE(summary.endsWith("\nDatabase: master")) << summary.toStdString();
    DoubleClick(Window->tvTablesViews, Node(Window->tvTablesViews, "sample"));
    EXPECT_TRUE(Window->StatusBar1->PanelToolTip(0).endsWith("\nDatabase: sample"));

    // The box is modal: it is read, then closed, from within its own loop.
    TfrmAbout* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = Window->findChild<TfrmAbout*>();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->labLogin->text(), "sa");
        EXPECT_EQ(summary, "Server: " + shown->labServer->text() + "\nLogin: sa\nDatabase: master");
        EXPECT_EQ(shown->labConnectedDB->text(), "sample");
        // The login's string holds "Persist Security Info=True"; the box still keeps the
        // password to itself.
        EXPECT_FALSE(shown->memConnString->toPlainText().contains(test::tdsSaPassword))
            << shown->memConnString->toPlainText().toStdString();
        EXPECT_TRUE(shown->memConnString->toPlainText().contains("Password=*****"));
        EXPECT_TRUE(shown->memConnString->toPlainText().contains("User ID=sa"));
        shown->close();
    });
    Window->About1->trigger();
    EXPECT_NE(shown, nullptr);
    EXPECT_FALSE(summary.contains(test::tdsSaPassword));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

namespace {

// Everything the program's windows show as text: captions, labels, buttons, edits as echoed,
// text panes, combo entries, and every tooltip.
QString ScreenText() {
    QStringList texts;
    for (QWidget* widget : QApplication::allWidgets()) {
        texts << widget->windowTitle() << widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            texts << edit->displayText();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
            texts << plain->toPlainText();
        else if (auto* rich = qobject_cast<QTextEdit*>(widget))
            texts << rich->toPlainText();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
    }
    return texts.join('\n');
}

} // namespace

TEST_F(SqlServerWindow, NoWindowShowsThePasswordAfterAFailedLogin) {
    const QString typed = "Wr0ng-Secret-71";
    ConnectWithTheDialog("sa", typed);
    ASSERT_EQ(Panel(0), "Connect Error");
    // A message that quotes the string the program connected with shows it masked.
    Window->WriteLog(
        QString("Connect Error: Provider=SQLOLEDB.1;Password=%1;User ID=sa").arg(typed));
    Window->StatusBar1->SetPanelText(1, "Password=\"" + typed + "\"");
    QString aboutText;
    QTimer::singleShot(0, [&] {
        aboutText = ScreenText();
        if (auto* shown = Window->findChild<TfrmAbout*>())
            shown->close();
    });
    Window->About1->trigger();
    for (const QString& text : {aboutText, ScreenText(), frmLog->Text()})
        EXPECT_FALSE(text.contains(typed)) << text.toStdString();
    EXPECT_TRUE(frmLog->Text().contains("Password=*****;User ID=sa"));
    EXPECT_TRUE(aboutText.contains("Password=*****"));
    for (const auto& message : Dialogs.Messages)
        EXPECT_FALSE(message.Text.contains(typed));
}

TEST_F(SqlServerWindow, TheDialogAsksForEncryptionAndItsCertificateCheck) {
    // The fixture's server has only the certificate it made itself: Mandatory refuses it with
    // the reason and how to trust it, and trusting it connects encrypted.
    auto* dialog = new TfrmConnect(Window.get(), *Window);
    dialog->show();
    EXPECT_EQ(dialog->Encryption.cbEncryption->currentText(), "Optional");
    EXPECT_FALSE(dialog->Encryption.cbTrustServerCertificate->isChecked());
    dialog->cbServer->setEditText(QString("127.0.0.1,%1").arg(*test::tdsServerPort()));
    dialog->edtPassword->setText(test::tdsSaPassword);
    dialog->Encryption.cbEncryption->setCurrentText("Mandatory");
    QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    EXPECT_EQ(Panel(0), "Connect Error");
    EXPECT_TRUE(Window->StatusBar1->PanelToolTip(1).contains("Trust Server Certificate=True"))
        << Window->StatusBar1->PanelToolTip(1).toStdString();

    dialog = new TfrmConnect(Window.get(), *Window);
    dialog->show();
    dialog->cbServer->setEditText(QString("127.0.0.1,%1").arg(*test::tdsServerPort()));
    dialog->edtPassword->setText(test::tdsSaPassword);
    dialog->Encryption.cbEncryption->setCurrentText("Mandatory");
    dialog->Encryption.cbTrustServerCertificate->setChecked(true);
    QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    ASSERT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    Run("select encryption, app_name from master..tds_logins where id = (select max(id) from "
        "master..tds_logins where accepted = 1)");
    EXPECT_EQ(Result(), "session|Velmora 2");
}

TEST_F(SqlServerWindow, APasswordTypedInTheDialogReachesTheServerAsTyped) {
    const QString password = QString::fromUtf8("=Pa;ss{w}o\"r'd \xC3\xA9\xE6\x97\xA5");
    const QString user = QString::fromStdString(Own("dialog"));
    ado::TADOConnection admin;
    admin.SetConnectionString(test::tdsConnectionString());
    admin.Open();
    const auto literal = [](QString text) { return "N'" + text.replace("'", "''") + "'"; };
    admin.Execute(("insert into tds_users (name, password) values (" + literal(user) + ", " +
                   literal(password) + ")")
                      .toStdString());
    ConnectWithTheDialog(user, password);
    EXPECT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    ado::TADOQuery received;
    received.SetConnection(&admin);
    received.SetSQL(
        ("select password from tds_logins where user_name = " + literal(user)).toStdString());
    received.Open();
    EXPECT_EQ(QString::fromStdString(received.FieldByName("password").AsString()), password);
    admin.Execute(("delete from tds_users where name = " + literal(user)).toStdString());
}

TEST_F(SqlServerWindow, AConnectionFileForSqlOledbConnects) {
    ado::writeDataLinkFile(Workspace.FilePath("server.udl").toStdString(),
                           test::tdsConnectionString("sample"));
    Window->OpenConnection("server.udl", true);
    EXPECT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    EXPECT_EQ(Window->cbDatabases->currentText(), "sample");
}

TEST_F(SqlServerWindow, SpHelpTextExAppendsTheProceduresTextAsCreated) {
    Connect(test::tdsConnectionString("sample"));
    Window->PageControl1->setCurrentWidget(Window->tvStoredProcedures->parentWidget());
    QTreeWidgetItem* procedure = Node(Window->tvStoredProcedures, "customer_orders");
    ASSERT_NE(procedure, nullptr);
    Click(Window->tvStoredProcedures, procedure);
    Window->SourceEdit1->SetText("-- before");
    Window->SPHELPTEXTEx1->trigger();
    EXPECT_EQ(Window->SourceEdit1->Text(),
              "-- before\r\n"
              "create procedure customer_orders @customer_id int, @since datetime = null\r\n"
              "as\r\n"
              "select o.id, p.title, o.quantity, o.ordered\r\n"
              "from orders o join products p on p.id = o.product_id\r\n"
              "where o.customer_id = @customer_id and (@since is null or o.ordered >= @since)\r\n"
              "order by o.id;");
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
    // The lines were read from the procedure's result, which is closed again.
    EXPECT_FALSE(DataModule1->ADOQuery1.Active());
}

TEST_F(SqlServerWindow, AServerThatNeverAnswersFailsAfterTheConnectTimeout) {
    test::TTdsServerProcess stalled({"--stall"});
    // Should the login wait without bound, the server goes and the test can end.
    std::atomic<bool> finished = false;
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!finished)
            stalled.Kill();
    });
    Window->OpenConnection(
        QString::fromStdString(test::tdsConnectionString(stalled.Port()) + ";Connect Timeout=1"),
        false);
    finished = true;
    watchdog.join();
    EXPECT_EQ(Panel(0), "Connect Error");
    EXPECT_TRUE(Panel(1).startsWith("Timeout expired")) << Panel(1).toStdString();
}

namespace {

// The window after a run on a connection that is gone: closed, saying why, and the chooser
// still naming the database that the next connection opens in.
void ExpectClosedAsLost(const TfrmMain& Window, const TScriptedDialogs& Dialogs) {
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const QString reason = Dialogs.Messages[0].Text;
    EXPECT_FALSE(Window.ConnectionOpen());
    EXPECT_EQ(Window.StatusBar1->PanelText(0), "Connection Lost");
    // The panel shows the reason's first line, its tooltip the whole reason.
    const QString firstLine = reason.section(QRegularExpression("[\r\n]"), 0, 0);
    EXPECT_EQ(Window.StatusBar1->PanelText(1),
              firstLine == reason ? reason : firstLine + " \u2026");
    EXPECT_EQ(Window.StatusBar1->PanelToolTip(1), reason);
    EXPECT_EQ(Window.cbDatabases->currentText(), "sample");
}

} // namespace

TEST_F(SqlServerWindow, AConnectionDroppedMidResultIsClosedAndReconnectingWorks) {
    test::TTdsServerProcess dropping({"--drop-after-rows", "100"});
    const std::string server =
        test::tdsConnectionString(dropping.Port(), "sa", test::tdsSaPassword, "sample");
    Connect(server);
    Dialogs.Messages.clear();
    Run("select n from numbers order by n");
    ExpectClosedAsLost(*Window, Dialogs);
    EXPECT_TRUE(Panel(1).contains("Unexpected EOF")) << Panel(1).toStdString();
    Connect(server);
    Run("select count(*) as numbers from numbers");
    EXPECT_EQ(Result(), "1000");
}

TEST_F(SqlServerWindow, AKilledServerIsClosedAndTheProgramConnectsToAnother) {
    auto server = std::make_unique<test::TTdsServerProcess>();
    Connect(test::tdsConnectionString(server->Port(), "sa", test::tdsSaPassword, "sample"));
    server->Kill();
    Dialogs.Messages.clear();
    Run("select count(*) from customers");
    ExpectClosedAsLost(*Window, Dialogs);
    Connect(test::tdsConnectionString("sample"));
    Run("select count(*) as customers from customers");
    EXPECT_EQ(Result(), "3");
}

TEST_F(SqlServerWindow, AConnectionLostWhileTheDatabasesAreListedIsClosed) {
    // The first rows after the login are the database list's.
    test::TTdsServerProcess dropping({"--drop-after-rows", "1"});
    Window->OpenConnection(QString::fromStdString(test::tdsConnectionString(dropping.Port())),
                           false);
    EXPECT_EQ(Panel(0), "Connect Error");
    EXPECT_TRUE(Panel(1).contains("Unexpected EOF")) << Panel(1).toStdString();
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(Window->cbDatabases->count(), 0);
    EXPECT_EQ(Window->tvTablesViews->topLevelItemCount(), 0);
    EXPECT_TRUE(frmLog->Text().contains(" - ADO Connection : After Disconnect\n"));
}

TEST_F(SqlServerWindow, ValuesOfEveryTypeRoundTripThroughTheGridsEditing) {
    Connect(test::tdsConnectionString("sample"));
    const std::string table = Own("grid_types");
    Run(QString::fromStdString(test::createTypesTable(table)));
    Run(QString::fromStdString("insert into " + table + " (c_int) values (null)"));
    Window->Tables1->trigger(); // the new table into the browser
    const auto open = [&] {
        Window->PageControl1->setCurrentWidget(Window->tvTablesViews->parentWidget());
        DoubleClick(Window->tvTablesViews,
                    Node(Window->tvTablesViews, QString::fromStdString(table)));
    };
    open();
    ado::TADOTable& shown = DataModule1->ADOTable1;
    ASSERT_TRUE(shown.Active());
    for (const test::SqlServerTypeCase& type : test::sqlServerTypeCases()) {
        ado::TField& field = shown.FieldByName(type.column);
        const QModelIndex cell = Grid().index(0, field.Index());
        if (Grid().flags(cell) & Qt::ItemIsEditable) {
            EXPECT_TRUE(Grid().setData(cell, QString::fromStdString(type.typed))) << type.column;
            continue;
        }
        // Blobs and bytes are not typed into a cell: they come from a file.
        EXPECT_TRUE(field.IsBlob() || field.IsBinary()) << type.column;
        const QString file = Workspace.FilePath("value.bin");
        std::ofstream(file.toStdString(), std::ios::binary)
            << (type.bytes || !field.IsBinary() ? type.typed : ado::hexToBytes(type.typed));
        field.LoadFromFile(file.toStdString());
    }
    Window->DBNavigator1->Button(TDBNavigator::nbPost)->click();
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();

    open(); // read back from the server
    for (const test::SqlServerTypeCase& type : test::sqlServerTypeCases()) {
        const ado::TField& field = shown.FieldByName(type.column);
        EXPECT_EQ(type.bytes ? std::string(field.AsBytes()) : field.AsString(), type.shown)
            << type.column;
    }
    EXPECT_EQ(Grid().index(0, shown.FindField("c_nchar")->Index()).data().toString(),
              QString::fromUtf8("\xCE\xB6    "));
    Run(QString::fromStdString("drop table " + table));
}

namespace {

QStringList TabTexts(const QTabBar* Bar) {
    QStringList texts;
    for (int i = 0; i < Bar->count(); ++i)
        texts << Bar->tabText(i);
    return texts;
}

} // namespace

TEST_F(SqlServerWindow, ResultSetsAndAPrintBetweenThemShowInOrderWithTheirTabs) {
    Connect(test::tdsConnectionString("sample"));
    Run("select name from customers order by id\r\nprint 'between the two'\r\n"
        "select count(*) as n from products");
    TResultTabs* tabs = Window->ResultTabs1;
    ASSERT_TRUE(tabs->TabBar->isVisibleTo(Window.get()));
    EXPECT_EQ(TabTexts(tabs->TabBar), (QStringList{"Result 1", "Result 2", "Messages"}));
    EXPECT_EQ(GridTitles(Grid()), QStringList{"name"});
    EXPECT_EQ(Panel(2), "1 of 3 records");
    const QStringList lines = tabs->MessagesText().split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.mid(0, 3),
              (QStringList{"(3 rows affected)", "between the two", "(1 row affected)"}));
    EXPECT_TRUE(lines[3].startsWith("Elapsed ")) << lines[3].toStdString();
    // The second tab has a read-only grid of its own; the counter and navigator follow it.
    tabs->TabBar->setCurrentIndex(1);
    ASSERT_NE(tabs->Grid(1), nullptr);
    EXPECT_TRUE(tabs->Grid(1)->isVisibleTo(Window.get()));
    EXPECT_EQ(GridTitles(*tabs->Grid(1)->Model()), QStringList{"n"});
    EXPECT_EQ(Panel(2), "1 of 1 records");
    tabs->TabBar->setCurrentIndex(2);
    EXPECT_TRUE(tabs->Messages->isVisibleTo(Window.get()));
    // A run with one result set is the grid alone again.
    Run("select name from customers");
    EXPECT_FALSE(tabs->TabBar->isVisibleTo(Window.get()));
    EXPECT_TRUE(Window->DBGrid1->isVisibleTo(Window.get()));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SqlServerWindow, AnErrorInTheSecondBatchShowsItsLineAndTheThirdStillRuns) {
    Connect(test::tdsConnectionString("sample"));
    const QString table = QString::fromStdString(Own("batches"));
    Run("create table " + table +
        " (id int)\r\nGO\r\n-- the next one fails\r\n"
        "select * from nowhere\r\nGO\r\ninsert into " +
        table +
        " values (3)\r\n"
        "select id from " +
        table + "\r\nGO\r\n");
    EXPECT_EQ(GridTitles(Grid()), QStringList{"id"}); // batch 3's rows
    EXPECT_EQ(Result(), "3");
    const QString messages = Window->ResultTabs1->MessagesText();
    EXPECT_TRUE(messages.contains("Msg 208, SQLSTATE 42S02, in the batch at line 3\n"
                                  "Invalid object name 'nowhere'.\n"))
        << messages.toStdString();
    EXPECT_TRUE(frmLog->Text().contains("Batch 2 at line 3 failed: Invalid object name "
                                        "'nowhere'."));
    // A double click on the error's line puts the caret on the batch's line of the script.
    QPlainTextEdit* pane = Window->ResultTabs1->Messages;
    Window->ResultTabs1->TabBar->setCurrentIndex(Window->ResultTabs1->TabBar->count() - 1);
    QTextBlock block = pane->document()->firstBlock();
    while (block.isValid() && !block.text().startsWith("Msg 208"))
        block = block.next();
    ASSERT_TRUE(block.isValid());
    QTextCursor at(block);
    const QPoint point = pane->cursorRect(at).center();
    QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {}, point);
    const QString script = Window->SourceEdit1->Text();
    EXPECT_EQ(Window->SourceEdit1->SelStart(), script.indexOf("-- the next one fails"));
    Run("drop table " + table);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SqlServerWindow, AGeneratedProcedureTemplateRunsAsWrittenAndCreatesItsProcedure) {
    Connect(test::tdsConnectionString("sample"));
    const QString table = QString::fromStdString(Own("templated"));
    Run("create table " + table + " (id int identity primary key, name nvarchar(20))");
    Window->LastTable = table;
    Window->SourceEdit1->SetText("");
    Window->UPDATEINSERT1->trigger();
    ASSERT_TRUE(Window->SourceEdit1->Text().contains("\r\nGO\r\n"));
    Window->SourceEdit1->SetSelection(0, 0);
    Window->EntireScript1->trigger();
    const QString messages = Window->ResultTabs1->MessagesText();
    EXPECT_FALSE(messages.contains("Msg ")) << messages.toStdString();
    EXPECT_TRUE(messages.contains(", 2 batches")) << messages.toStdString();
    Run("exec p_" + table + " null, 'made'");
    EXPECT_EQ(Result(), "1"); // the new row's identity
    Run("select name from " + table);
    EXPECT_EQ(Result(), "made");
    Run("drop procedure p_" + table + "\r\nGO\r\ndrop table " + table);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

#include "app/MDIForm_Main.h"
#include "common/Controls.h"
#include "common/Fixtures.h"
#include "common/ScriptedDialogs.h"
#include "common/Servers.h"
#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/FehlerProtokoll.h"
#include "diag/SingleInstance.h"
#include "runtime/Platform.h"
#include "workbench/Form_Auto.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

using testsupport::control;
using testsupport::errorLogText;

// The main window on the real ODBC engine with the test servers' data sources.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session().reset();
        rt::setProgramFolder(testsupport::tempFolder());
        window = std::make_unique<MDIForm_Main>();
        window->setEngineFactory([] {
            testsupport::useServerOdbcFiles();
            return sql::createOdbcEngine();
        });
    }
    void TearDown() override
    {
        window.reset();
        session().reset();
        rt::setProgramFolder(QString());
    }
    void load()
    {
        window->show();
        window->Form_Load(QString());
    }
    bool enabled(const char* button) const { return control<QPushButton>(*window, button)->isEnabled(); }
    int childWindows() const { return int(control<QMdiArea>(*window, "mdiArea")->subWindowList().size()); }
    testsupport::ScriptedDialogs dialogs;
    std::unique_ptr<MDIForm_Main> window;
};

TEST_F(MainWindowTest, StartUpCreatesBothEnvironmentsAndLoadsTheChildWindows)
{
    load();
    // The engine refuses the second environment of the same name; the start-up retries under a new one.
    EXPECT_TRUE(session().UmgebungenAngelegt);
    EXPECT_TRUE(session().Umgebung1 && session().Umgebung2);
    EXPECT_EQ(session().AbfrageTimeout, 120);
    EXPECT_TRUE(SingleInstance<Form_Auto>::loaded());
    EXPECT_TRUE(SingleInstance<FehlerProtokoll>::loaded());
    EXPECT_EQ(childWindows(), 2);
    EXPECT_EQ(window->focusWidget(), control<QLineEdit>(*window, "ODBC_Name"));
    // Only the login is open until it succeeded; Microsoft SQL is the kind chosen.
    EXPECT_TRUE(enabled("Command3"));
    EXPECT_FALSE(enabled("Command1"));
    EXPECT_FALSE(enabled("Command2"));
    EXPECT_TRUE(control<QRadioButton>(*window, "Option_MSSQL")->isChecked());
    EXPECT_EQ(window->serverKind(), ServerKind::MSSQL);
    EXPECT_FALSE(window->endRequested());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(MainWindowTest, StartUpGivesUpAfterTheBoundWithAMessageAndFailureStatus)
{
    int engines = 0;
    window->setEngineFactory([&engines] {
        ++engines;
        return std::unique_ptr<sql::Engine>();
    });
    load();
    EXPECT_EQ(engines, MDIForm_Main::kStartupAttempts);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().first().contains(QStringLiteral("Objektvariable")))
        << qPrintable(dialogs.messages().first());
    EXPECT_TRUE(window->endRequested());
    EXPECT_EQ(window->exitCode(), 1);
    EXPECT_FALSE(session().UmgebungenAngelegt);
    EXPECT_EQ(childWindows(), 0);
    // The failure is in the log file as well, once.
    EXPECT_EQ(errorLogText().count(QStringLiteral("Code: Form_Load\tLine: 0\r\n")), 1) << qPrintable(errorLogText());
}

TEST_F(MainWindowTest, LoginFailsOnAMissingDataSourceAndSucceedsOnARealOne)
{
    REQUIRE_SQLITE();
    load();
    auto* dsn = control<QLineEdit>(*window, "ODBC_Name");
    dsn->setText(QStringLiteral("NOSUCHDSN"));
    control<QPushButton>(*window, "Command3")->click();
    EXPECT_FALSE(enabled("Command1"));
    EXPECT_FALSE(enabled("Command2"));
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_FALSE(session().Verbindung1);
    EXPECT_EQ(dialogs.messages(), QStringList({QStringLiteral("ODBC-Datenquelle 'NOSUCHDSN' nicht gefunden!")}));
    // The log keeps the driver's reason, once although both connections failed for it.
    const QString log = errorLogText();
    EXPECT_EQ(log.count(QStringLiteral("Code: Command3_Click\tLine: 0\r\n")), 1) << qPrintable(log);
    EXPECT_TRUE(log.contains(QStringLiteral("IM002"))) << qPrintable(log);

    dialogs.shown.clear();
    session().FehlerAufgetreten = false;
    dsn->setText("DSN=" + testsupport::sqliteDsn() + ";PWD=geheim");
    control<QPushButton>(*window, "Command3")->click();
    EXPECT_TRUE(enabled("Command1"));
    EXPECT_TRUE(enabled("Command2"));
    EXPECT_EQ(dsn->text(), testsupport::sqliteDsn());  // the data source the driver names, no password
    EXPECT_FALSE(session().FehlerAufgetreten);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(session().Verbindung1 && session().Verbindung2);

    // Another data source locks the work buttons until the next login.
    dsn->setText(QStringLiteral("ANDERE"));
    EXPECT_FALSE(enabled("Command1"));
    EXPECT_FALSE(enabled("Command2"));
}

// A work window that refuses to close while it is busy, as the conversion does.
struct BusyWindow : QWidget {
    bool busy = true;
    void closeEvent(QCloseEvent* e) override { e->setAccepted(!busy); }
};

TEST_F(MainWindowTest, ClosingTheMainWindowWaitsForABusyWorkWindow)
{
    load();
    auto* busy = new BusyWindow;
    window->adoptChildWindow(busy);
    window->close();
    EXPECT_FALSE(window->endRequested());
    EXPECT_TRUE(window->isVisible());
    busy->busy = false;
    window->close();
    EXPECT_TRUE(window->endRequested());
}

}  // namespace

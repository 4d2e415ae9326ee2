#include "Version.h"
#include "app/MDIForm_Main.h"
#include "common/Controls.h"
#include "common/Fixtures.h"
#include "common/ScriptedDialogs.h"
#include "diag/FehlerProtokoll.h"
#include "diag/SingleInstance.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "workbench/Form_Auto.h"
#include "workbench/Konvertierung.h"
#include "xdb/Abgleichen.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using testsupport::control;

// A connection library that refuses what it is told to and records what it was asked.
struct Calls {
    QStringList environmentNames;
    QStringList log;  // "<env>.user=...", "<env>.open=...", "conn.timeout=..."
};

class FakeConnection : public sql::Connection {
public:
    FakeConnection(Calls& c, QString reported) : calls(c), reported(std::move(reported)) {}
    void setQueryTimeout(int seconds) override { calls.log << QStringLiteral("timeout=%1").arg(seconds); }
    QString name() const override { return reported; }
    QString versionText() override { return QString(); }
    void execute(const QString&, int) override {}
    std::unique_ptr<sql::ResultSet> openResultset(const QString&, int, int, int) override { return nullptr; }
    void refreshTables() override {}
    std::shared_ptr<sql::Table> table(const QString&) override { return nullptr; }
    Calls& calls;
    QString reported;
};

class FakeEnvironment : public sql::Environment {
public:
    FakeEnvironment(Calls& c, QString name, bool& openFails, QString& reported)
        : calls(c), name(std::move(name)), openFails(openFails), reported(reported)
    {}
    void setUserName(const QString& u) override { calls.log << name + QStringLiteral(".user=") + u; }
    void setPassword(const QString& p) override { calls.log << name + QStringLiteral(".password=") + p; }
    void setCursorDriver(int d) override { calls.log << name + QStringLiteral(".cursor=%1").arg(d); }
    std::shared_ptr<sql::Connection> openConnection(const QString& dsn) override
    {
        calls.log << name + QStringLiteral(".open=") + dsn;
        if (openFails)
            throw rt::RuntimeError(40002, QStringLiteral("Fake"), QStringLiteral("IM002: Data source name not found"));
        return std::make_shared<FakeConnection>(calls, reported);
    }
    Calls& calls;
    QString name;
    bool& openFails;
    QString& reported;
};

class FakeEngine : public sql::Engine {
public:
    FakeEngine(Calls& c, bool& openFails, QString& reported) : calls(c), openFails(openFails), reported(reported) {}
    std::shared_ptr<sql::Environment> createEnvironment(const QString& name, const QString& user,
                                                        const QString& password) override
    {
        const int call = int(calls.environmentNames.size());
        calls.environmentNames << name;
        if (refuseAll || refuseCalls.contains(call))
            throw rt::RuntimeError(40002, QStringLiteral("Fake"), QStringLiteral("S1000: name refused"));
        EXPECT_TRUE(user.isEmpty());
        EXPECT_TRUE(password.isEmpty());
        return std::make_shared<FakeEnvironment>(calls, QStringLiteral("env%1").arg(++created), openFails, reported);
    }
    Calls& calls;
    bool& openFails;
    QString& reported;
    QList<int> refuseCalls;
    bool refuseAll = false;
    int created = 0;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session().reset();
        programFolder = testsupport::tempFolder();
        rt::setProgramFolder(programFolder);
        window = std::make_unique<MDIForm_Main>();
        window->setEngineFactory([this] {
            auto e = std::make_unique<FakeEngine>(calls, openFails, reported);
            engine = e.get();
            engine->refuseCalls = refuseCalls;
            engine->refuseAll = refuseAll;
            return e;
        });
    }
    void TearDown() override
    {
        window.reset();
        session().reset();
        rt::setProgramFolder(QString());
    }
    void load(const QString& commandLine = QString())
    {
        window->show();
        window->Form_Load(commandLine);
    }
    QList<QWidget*> childWindows() const
    {
        QList<QWidget*> out;
        for (QMdiSubWindow* s : control<QMdiArea>(*window, "mdiArea")->subWindowList())
            out << s->widget();
        return out;
    }

    testsupport::ScriptedDialogs dialogs;
    std::unique_ptr<MDIForm_Main> window;
    Calls calls;
    bool openFails = false;
    QString reported = QStringLiteral("REPORTED");
    QList<int> refuseCalls;
    bool refuseAll = false;
    FakeEngine* engine = nullptr;
    QString programFolder;

    QString logText() const
    {
        QString all;
        const QString dir = programFolder + QStringLiteral("/Log/Dorvex/");
        for (const QString& name : QDir(dir).entryList({QStringLiteral("ERROR_*.LOG")})) {
            QFile f(dir + name);
            if (f.open(QIODevice::ReadOnly))
                all += QString::fromLatin1(f.readAll());
        }
        return all;
    }
};

QString versionCaption()
{
    return QStringLiteral("Dorvex V%1.%2.%3")
        .arg(dorvex::version::major)
        .arg(dorvex::version::minor)
        .arg(dorvex::version::revision);
}

TEST_F(MainWindowTest, InitialControlsAndStartUp)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dorvex"));
    load();
    MDIForm_Main& w = *window;
    EXPECT_EQ(w.windowTitle(), versionCaption());
    const struct {
        const char* name;
        const char* text;
        bool enabled;
    } captions[] = {
        {"ODBC_Name", "ZABSQL", true},
        {"Text_UID", "sa", true},
        {"Text_PW", "", true},
        {"Label3", "ODBC:", true},
        {"Label1", "User :", true},
        {"Command3", "SQL anmelden", true},
        {"Command1", "Access zu SQL", false},
        {"Command2", "XDB verarbeiten", false},
        {"Command4", "Schließen", true},
        {"Option_MSSQL", "Microsoft SQL", true},
        {"Check1", "Linux", true},
    };
    for (const auto& c : captions) {
        const QWidget* shown = control<QWidget>(w, c.name);
        EXPECT_EQ(shown->property("text").toString(), QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(shown->isEnabled(), c.enabled) << c.name;
    }
    auto* password = control<QLineEdit>(w, "Text_PW");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    password->setText(QStringLiteral("ab"));
    EXPECT_EQ(password->displayText(), QStringLiteral("**"));
    password->clear();
    EXPECT_TRUE(control<QRadioButton>(w, "Option_MSSQL")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(w, "Option_MSSQL")->isVisible());
    for (const char* hidden : {"Option_MySQL", "Option_Oracle", "Option_Sybase", "Option_DB2", "Check1"})
        EXPECT_TRUE(control<QWidget>(w, hidden)->isHidden()) << hidden;
    EXPECT_FALSE(control<QCheckBox>(w, "Check1")->isChecked());
    EXPECT_EQ(w.serverKind(), ServerKind::MSSQL);

    const Session& s = session();
    EXPECT_EQ(s.AbfrageTimeout, 120);
    EXPECT_TRUE(s.UmgebungenAngelegt);
    EXPECT_EQ(calls.environmentNames, QStringList({QStringLiteral("0Dorvex"), QStringLiteral("0Dorvex")}));
    EXPECT_EQ(calls.log, QStringList({QStringLiteral("env2.cursor=4")}));  // the second environment only
    // The identity list and the error log are loaded as children of the main window.
    EXPECT_TRUE(SingleInstance<Form_Auto>::loaded());
    EXPECT_TRUE(SingleInstance<FehlerProtokoll>::loaded());
    EXPECT_EQ(childWindows().size(), 2);
    EXPECT_EQ(w.focusWidget(), control<QLineEdit>(w, "ODBC_Name"));
    EXPECT_FALSE(w.endRequested());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(MainWindowTest, StartUpGivesUpAfterTheBoundWithAMessageAndFailureStatus)
{
    refuseAll = true;
    load();
    EXPECT_EQ(calls.environmentNames.size(), MDIForm_Main::kStartupAttempts);
    EXPECT_EQ(calls.environmentNames.last(), QStringLiteral("%1Dorvex").arg(MDIForm_Main::kStartupAttempts - 1));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().first().contains(QStringLiteral("S1000: name refused")));
    EXPECT_TRUE(window->endRequested());
    EXPECT_EQ(window->exitCode(), 1);
    EXPECT_FALSE(session().UmgebungenAngelegt);
    EXPECT_TRUE(childWindows().isEmpty());
    // The failure is in the log file as well, once.
    EXPECT_EQ(logText().count(QStringLiteral("Modul: MDIForm_Main\tCode: Form_Load\tLine: 0\r\n"
                                             "Quelle: Fake\tFehler: 40002\tS1000: name refused\r\n")),
              1)
        << qPrintable(logText());
}

TEST_F(MainWindowTest, LoginSuccessShowsTheReportedNameAndEnablesTheWorkButtons)
{
    load();
    control<QLineEdit>(*window, "Text_PW")->setText(QStringLiteral("geheim"));
    control<QPushButton>(*window, "Command3")->click();
    EXPECT_TRUE(control<QPushButton>(*window, "Command1")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(*window, "Command2")->isEnabled());
    EXPECT_EQ(control<QLineEdit>(*window, "ODBC_Name")->text(), QStringLiteral("REPORTED"));
    EXPECT_FALSE(session().FehlerAufgetreten);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(calls.log.mid(1), QStringList({QStringLiteral("env1.user=sa"), QStringLiteral("env1.password=geheim"),
                                             QStringLiteral("env1.open=ZABSQL"), QStringLiteral("timeout=120"),
                                             QStringLiteral("env2.user=sa"), QStringLiteral("env2.password=geheim"),
                                             // the second connection names the data source as the box shows it now
                                             QStringLiteral("env2.open=REPORTED"), QStringLiteral("timeout=120")}));
    ASSERT_TRUE(session().Verbindung1 && session().Verbindung2);
}

TEST_F(MainWindowTest, FailedLoginStillAttemptsEveryLaterStatement)
{
    load();
    openFails = true;
    control<QPushButton>(*window, "Command3")->click();
    EXPECT_FALSE(control<QPushButton>(*window, "Command1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>(*window, "Command2")->isEnabled());
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_EQ(dialogs.messages(), QStringList({QStringLiteral("ODBC-Datenquelle 'ZABSQL' nicht gefunden!")}));
    EXPECT_TRUE(dialogs.shown.first().title.isEmpty());  // the program's own title
    EXPECT_EQ(calls.log.mid(1), QStringList({QStringLiteral("env1.user=sa"), QStringLiteral("env1.password="),
                                             QStringLiteral("env1.open=ZABSQL"), QStringLiteral("env2.user=sa"),
                                             QStringLiteral("env2.password="), QStringLiteral("env2.open=ZABSQL")}));
    EXPECT_EQ(control<QLineEdit>(*window, "ODBC_Name")->text(), QStringLiteral("ZABSQL"));
    EXPECT_FALSE(session().Verbindung1);
    // The log keeps the driver's reason, once although both connections failed for it.
    EXPECT_EQ(logText().count(QStringLiteral("Code: Command3_Click\tLine: 0\r\nQuelle: Fake\tFehler: 40002\t"
                                             "IM002: Data source name not found\r\n")),
              1)
        << qPrintable(logText());
}

// A work window that refuses to close while it is busy, as the conversion does.
class BusyWindow : public QWidget {
public:
    bool busy = true;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        if (busy)
            e->ignore();
        else
            e->accept();
    }
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

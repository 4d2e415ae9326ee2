#include "app/MDIForm_Main.h"
#include "Version.h"
#include "app/CommandLine.h"
#include "app/RunSummary.h"
#include "diag/DialogService.h"
#include "diag/FehlerProtokoll.h"
#include "diag/Guard.h"
#include "diag/Module1.h"
#include "diag/SingleInstance.h"
#include "diag/ZusatzInfo.h"
#include "runtime/RuntimeError.h"
#include "workbench/Form_Auto.h"
#include "workbench/Konvertierung.h"
#include "xdb/Abgleichen.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <cmath>

namespace {
// A fault of the driver or a library below it that is no RuntimeError counts as a failed step of
// the start and of the login, with its own text.
void asRuntimeFailure(const std::function<void()>& statement)
{
    try {
        statement();
    } catch (const rt::RuntimeError&) {
        throw;
    } catch (const std::exception& e) {
        throw rt::RuntimeError(0, QStringLiteral("Dorvex"), QString::fromLocal8Bit(e.what()));
    }
}

template <class T>
T& required(const std::shared_ptr<T>& p)
{
    if (!p)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    return *p;
}
}  // namespace

MDIForm_Main::MDIForm_Main()
{
    setObjectName(QStringLiteral("MDIForm_Main"));
    setWindowTitle(QStringLiteral("Dorvex"));
    m_baseCaption = windowTitle();
    buildControls();
    session().mainWindow = this;
}

MDIForm_Main::~MDIForm_Main()
{
    // The work windows live in the MDI area and die with it; their single instances become empty.
    if (session().mainWindow == this)
        session().mainWindow = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Start-up

void MDIForm_Main::setEngineFactory(std::function<std::unique_ptr<sql::Engine>()> factory)
{
    m_engineFactory = std::move(factory);
}

void MDIForm_Main::Form_Load(const QString& commandLine)
{
    Session& s = session();
    m_baseCaption = QStringLiteral("Dorvex V%1.%2.%3")
                        .arg(dorvex::version::major)
                        .arg(dorvex::version::minor)
                        .arg(dorvex::version::revision);
    setWindowTitle(m_baseCaption);
    s.AbfrageTimeout = 120;
    if (!applyCommandLine(commandLine)) {
        Programm_Beenden(exitstatus::kUnusableCommandLine);
        return;
    }

    if (s.UmgebungenAngelegt) {
        // A second pass through the start-up: the environments exist already.
        Programm_Beenden(0);
        return;
    }
    const bool started =
        runStartupStep([&] {
            if (!s.engine) {
                if (!m_engineFactory)
                    throw rt::runtimeFailure(rt::err::ObjectNotSet);
                s.engine = m_engineFactory();
                if (!s.engine)
                    throw rt::runtimeFailure(rt::err::ObjectNotSet);
            }
        }) &&
        runStartupStep([&] {
            s.Umgebung1 = s.engine->createEnvironment(QString::number(m_retryCounter) + QStringLiteral("Dorvex"),
                                                      QString(), QString());
        }) &&
        runStartupStep([&] {
            s.Umgebung2 = s.engine->createEnvironment(QString::number(m_retryCounter) + QStringLiteral("Dorvex"),
                                                      QString(), QString());
        }) &&
        runStartupStep([&] { required(s.Umgebung2).setCursorDriver(sql::kCursorDriverNone); }) && runStartupStep([&] {
            s.UmgebungenAngelegt = true;
            SingleInstance<Form_Auto>::get();
            SingleInstance<FehlerProtokoll>::get();
        }) &&
        runStartupStep([&] { ODBC_Name->setFocus(); });
    if (!started)
        return;
    if (s.AutoLauf)
        Autolauf();
}

bool MDIForm_Main::applyCommandLine(const QString& commandLine)
{
    Session& s = session();
    const CommandLineValues v = parseCommandLine(commandLine);
    if (const QString problem = commandLineProblem(v); !problem.isEmpty()) {
        dialogs().message(problem + QStringLiteral(" Siehe dorvex --help."), QString(), DialogService::Icon::Critical);
        return false;
    }
    if (v.AutoLauf)
        s.AutoLauf = true;
    if (v.OhneFehlermeldung) {
        s.OhneFehlermeldung = true;
        m_baseCaption += QStringLiteral(" (no error)");
        setWindowTitle(m_baseCaption);
    }
    if (v.odbcBox) {
        s.ParamODBC = v.ParamODBC;
        ODBCAusBefehlszeile = true;
        ODBC_Name->setText(*v.odbcBox);
        ODBCAusBefehlszeile = false;
    }
    if (v.userBox) {
        s.ParamBenutzer = v.ParamBenutzer;
        Text_UID->setText(*v.userBox);
    }
    if (v.passwordBox) {
        s.ParamPasswort = v.ParamPasswort;
        Text_PW->setText(*v.passwordBox);
    }
    if (!v.ParamMDBPfad.isEmpty())
        s.ParamMDBPfad = v.ParamMDBPfad;
    if (!v.ParamXDBPfad.isEmpty())
        s.ParamXDBPfad = v.ParamXDBPfad;
    if (v.serverType) {
        QRadioButton* chosen = Option_MSSQL;
        switch (*serverKindFromSwitch(*v.serverType)) {
        case ServerKind::MSSQL: chosen = Option_MSSQL; break;
        case ServerKind::MySQL: chosen = Option_MySQL; break;
        case ServerKind::Oracle: chosen = Option_Oracle; break;
        case ServerKind::Sybase: chosen = Option_Sybase; break;
        case ServerKind::DB2: chosen = Option_DB2; break;
        }
        chosen->show();
        chosen->setChecked(true);
    }
    if (v.linuxSwitch) {
        Check1->show();
        Check1->setChecked(true);
    }
    if (v.reportPath)
        m_reportPath = *v.reportPath;
    m_fastTransfer = v.fastTransfer;
    return true;
}

bool MDIForm_Main::runStartupStep(const std::function<void()>& step)
{
    const auto handler = [this](const rt::RuntimeError& failure) {
        if (++m_retryCounter < kStartupAttempts)
            return diag::AfterFailure::Repeat;
        Fehler_Protokollieren(failure.source(), failure.number(), failure.description(), QStringLiteral("MDIForm_Main"),
                              QStringLiteral("Form_Load"), QString(), QString());
        dialogs().message(QStringLiteral("Der Programmstart ist nach %1 Versuchen gescheitert: %2\r\n"
                                         "Das Programm wird beendet.")
                              .arg(kStartupAttempts)
                              .arg(failure.description()),
                          QString(), DialogService::Icon::Critical);
        Programm_Beenden(1);
        return diag::AfterFailure::End;
    };
    return diag::guarded(handler, [&] { asRuntimeFailure(step); }) == diag::Guarded::Ran;
}

void MDIForm_Main::Programm_Beenden(int exitCode)
{
    m_endRequested = true;
    m_exitCode = exitCode;
    // Before the event loop runs there is nothing to stop; main() looks at endRequested().
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(exitCode);
}

void MDIForm_Main::closeEvent(QCloseEvent* event)
{
    // A work window that refuses to close (the conversion while it runs) keeps the program open;
    // otherwise the run would go on behind a closed window.
    for (QMdiSubWindow* sub : mdiArea->subWindowList()) {
        if (QWidget* child = sub->widget()) {
            QCloseEvent ask;
            QCoreApplication::sendEvent(child, &ask);
            if (!ask.isAccepted()) {
                event->ignore();
                return;
            }
        }
    }
    event->accept();
    Programm_Beenden(m_closeStatus);
}

// ---------------------------------------------------------------------------------------------
// Login panel

void MDIForm_Main::Command3_Click()
{
    if (!Command3->isEnabled())
        return;
    ODBC_Name_Change();
    Session& s = session();
    bool ok = true;
    // Every statement of the login is attempted; a failure marks the login as failed and the
    // next statement follows.
    // The message names only the data source; the log keeps the driver's reason for each
    // connection that did not open (each reason once).
    QStringList reasons;
    auto attempt = [&](const std::function<void()>& statement, bool logReason = false) {
        const auto handler = [&](const rt::RuntimeError& failure) {
            s.FehlerAufgetreten = true;
            ok = false;
            if (logReason && !reasons.contains(failure.description())) {
                reasons << failure.description();
                Fehler_Protokollieren(failure.source(), failure.number(), failure.description(),
                                      QStringLiteral("MDIForm_Main"), QStringLiteral("Command3_Click"), QString(),
                                      QString());
            }
            return diag::AfterFailure::Next;
        };
        diag::guarded(handler, [&] { asRuntimeFailure(statement); });
    };
    // User, password and connection, in each of the two environments.
    auto connect = [&](const std::shared_ptr<sql::Environment>& environment,
                       std::shared_ptr<sql::Connection>& connection) {
        attempt([&] { required(environment).setUserName(Text_UID->text()); });
        attempt([&] { required(environment).setPassword(Text_PW->text()); });
        attempt(
            [&] {
                // A connection to an earlier data source is not kept beside a failed new login.
                connection.reset();
                connection = required(environment).openConnection(ODBC_Name->text());
            },
            true);
    };
    connect(s.Umgebung1, s.Verbindung1);
    if (ok)
        attempt([&] { required(s.Verbindung1).setQueryTimeout(s.AbfrageTimeout); });
    if (ok)
        attempt([&] {
            const QString reported = required(s.Verbindung1).name();
            // Showing the reported name is no change of data source: the login stands.
            m_settingReportedName = true;
            ODBC_Name->setText(reported);
            m_settingReportedName = false;
        });
    connect(s.Umgebung2, s.Verbindung2);
    attempt([&] { required(s.Verbindung2).setQueryTimeout(s.AbfrageTimeout); });
    if (ok) {
        Command1->setEnabled(true);
        Command2->setEnabled(true);
    } else {
        s.FehlerAufgetreten = true;
        dialogs().message(QStringLiteral("ODBC-Datenquelle '") + ODBC_Name->text() +
                          QStringLiteral("' nicht gefunden!"));
    }
}

void MDIForm_Main::ODBC_Name_Change()
{
    if (ODBCAusBefehlszeile || m_settingReportedName)
        return;
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    SingleInstance<Konvertierung>::unload();
    SingleInstance<Abgleichen>::unload();
    QCoreApplication::processEvents();
    ODBC_Name->setFocus();
}

void MDIForm_Main::ODBC_Name_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 13) {
        Command3_Click();
        KeyAscii = 0;
    }
}

void MDIForm_Main::Text_UID_KeyPress(int& KeyAscii) { ODBC_Name_KeyPress(KeyAscii); }
void MDIForm_Main::Text_PW_KeyPress(int& KeyAscii) { ODBC_Name_KeyPress(KeyAscii); }

void MDIForm_Main::Command1_Click()
{
    const bool created = !SingleInstance<Konvertierung>::loaded();
    Konvertierung& k = SingleInstance<Konvertierung>::get();
    if (created && m_fastTransfer)
        k.setFastTransfer(true);
    k.show();
    bringToFront(&k);
}

void MDIForm_Main::Command2_Click()
{
    Abgleichen& a = SingleInstance<Abgleichen>::get();
    a.show();
    bringToFront(&a);
}

void MDIForm_Main::Command4_Click() { Programm_Beenden(0); }

void MDIForm_Main::hideLinuxBox()
{
    Check1->setChecked(false);
    Check1->hide();
}

void MDIForm_Main::Option_MSSQL_Click() { hideLinuxBox(); }
void MDIForm_Main::Option_MySQL_Click() { hideLinuxBox(); }
void MDIForm_Main::Option_Oracle_Click() { hideLinuxBox(); }
void MDIForm_Main::Option_Sybase_Click() { Check1->show(); }
void MDIForm_Main::Option_DB2_Click() {}

QString MDIForm_Main::informationText()
{
    const QStringList lines{
        QStringLiteral("Dorvex"),
        QString(),
        QStringLiteral("Mit diesem Programm wird eine SQL-Datenbank auf Vordermann gebracht."),
        QStringLiteral("Dies geschieht mit einer MS-ACCESS-Datenbank und einem XDB-Dokument."),
        QStringLiteral("Merke :"),
        QStringLiteral("In der Regel wird dieses Programm benutzt, wenn Sie unser Programm ZABRIX updaten wollen."),
        QStringLiteral("In der Programmierung kamen neue Datenbanktabellen dazu. Gleichfalls wurden in bestehenden "
                       "Tabellen neue Felder hinzugefügt."),
        QStringLiteral("Bevor Sie nun die neuen Programme (xxxx.exe) einsetzen, muß die SQL-Datenbank auf "
                       "Vordermann gebracht werden."),
    };
    return lines.join(QStringLiteral("\r\n"));
}

void MDIForm_Main::Image1_Click() { ZusatzInfo::Anzeigen(informationText()); }

// ---------------------------------------------------------------------------------------------
// What the other windows and the shared routines read and drive

ServerKind MDIForm_Main::serverKind() const
{
    if (Option_MySQL->isChecked())
        return ServerKind::MySQL;
    if (Option_Oracle->isChecked())
        return ServerKind::Oracle;
    if (Option_Sybase->isChecked())
        return ServerKind::Sybase;
    if (Option_DB2->isChecked())
        return ServerKind::DB2;
    return ServerKind::MSSQL;
}

bool MDIForm_Main::linuxChecked() const { return Check1->isChecked(); }

QString MDIForm_Main::odbcName() const { return ODBC_Name->text(); }

void MDIForm_Main::setWorkControlsEnabled(bool enabled)
{
    for (QWidget* w :
         {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2), static_cast<QWidget*>(Command3),
          static_cast<QWidget*>(Command4), static_cast<QWidget*>(ODBC_Name), static_cast<QWidget*>(Text_UID),
          static_cast<QWidget*>(Text_PW)})
        w->setEnabled(enabled);
}

void MDIForm_Main::setProgressValue(float v)
{
    m_progressValue = v;
    updateProgressBar();
}

void MDIForm_Main::setProgressMaximum(float m)
{
    m_progressMaximum = m;
    updateProgressBar();
}

void MDIForm_Main::updateProgressBar()
{
    int shown = 0;
    if (m_progressMaximum > 0) {
        const double ratio = std::clamp(double(m_progressValue) / double(m_progressMaximum), 0.0, 1.0);
        shown = int(std::lround(ratio * kBarScale));
    }
    ProgressBar1->setValue(shown);
}

void MDIForm_Main::setRemainingTimeText(const QString& text)
{
    Label_Rest->setText(text);
    Label_Rest->repaint();
}

QMdiSubWindow* MDIForm_Main::subWindowOf(QWidget* w) const
{
    if (!w)
        return nullptr;
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (sub->widget() == w)
            return sub;
    return nullptr;
}

void MDIForm_Main::adoptChildWindow(QWidget* w)
{
    if (subWindowOf(w))
        return;
    QMdiSubWindow* sub = mdiArea->addSubWindow(w);
    sub->setObjectName(w->objectName() + QStringLiteral("_Fenster"));
    w->show();
    sub->show();
}

void MDIForm_Main::releaseChildWindow(QWidget* w)
{
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub)
        return;
    // Detach the window first so that deleting the frame does not delete it twice.
    sub->setWidget(nullptr);
    w->setParent(nullptr);
    mdiArea->removeSubWindow(sub);
    sub->hide();
    // The frame may be inside one of its own event handlers (closing by its title bar).
    sub->deleteLater();
}

void MDIForm_Main::sendToBack(QWidget* w)
{
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub)
        return;
    sub->lower();
    // Another window becomes the active one, the top-most of the rest.
    const QList<QMdiSubWindow*> order = mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (*it != sub && (*it)->isVisible()) {
            mdiArea->setActiveSubWindow(*it);
            break;
        }
    }
}

void MDIForm_Main::bringToFront(QWidget* w)
{
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub)
        return;
    sub->show();
    sub->raise();
    mdiArea->setActiveSubWindow(sub);
}

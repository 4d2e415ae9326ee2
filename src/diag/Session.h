#pragma once
#include "dataaccess/ServerKind.h"
#include "dataaccess/SqlConnection.h"

#include <QString>
#include <memory>

class QWidget;

// What the shared routines and the work windows read from the main window at the moment they
// need it: the server kind buttons, the "Linux" box, the data source name, the work controls and
// the progress display. The main window implements it; tests may use a plain implementation.
class MainWindowAccess {
public:
    virtual ~MainWindowAccess() = default;
    virtual ServerKind serverKind() const = 0;
    virtual bool linuxChecked() const = 0;  // Check1 value 1
    virtual QString odbcName() const = 0;   // ODBC_Name text
    // Command1, Command2, Command3, Command4, ODBC_Name, Text_UID, Text_PW in this order.
    virtual void setWorkControlsEnabled(bool enabled) = 0;
    // Progress bar (single-precision value and maximum) and the remaining-time label.
    virtual float progressValue() const = 0;
    virtual float progressMaximum() const = 0;
    virtual void setProgressValue(float v) = 0;
    virtual void setProgressMaximum(float m) = 0;
    virtual void setRemainingTimeText(const QString& text) = 0;  // repaints at once
    // Child-window handling of the MDI area.
    virtual void adoptChildWindow(QWidget* w) = 0;    // make it a shown child of the main window
    virtual void releaseChildWindow(QWidget* w) = 0;  // before the child is destroyed
    virtual void sendToBack(QWidget* w) = 0;
    virtual void bringToFront(QWidget* w) = 0;
};

// The session state: lives for the whole run, reachable from every window.
struct Session {
    bool AutoLauf = false;
    bool OhneFehlermeldung = false;
    bool FehlerAufgetreten = false;
    QString ParamODBC, ParamBenutzer, ParamPasswort, ParamMDBPfad, ParamXDBPfad;
    qint16 AbfrageTimeout = 0;
    bool UmgebungenAngelegt = false;
    std::unique_ptr<sql::Engine> engine;
    std::shared_ptr<sql::Environment> Umgebung1, Umgebung2;
    std::shared_ptr<sql::Connection> Verbindung1, Verbindung2;
    MainWindowAccess* mainWindow = nullptr;  // not owned

    void reset() { *this = Session(); }
};

Session& session();
MainWindowAccess& mainWindow();  // session().mainWindow; raises 91-style failure when none

#include "app/MDIForm_Main.h"
#include "app/modDatenbankErweiterung.h"
#include "diag/DialogService.h"
#include "diag/SingleInstance.h"
#include "workbench/Konvertierung.h"
#include "xdb/Abgleichen.h"

// The unattended run (-auto): login, conversion of the tables missing on the server,
// reconciliation with the XDB document, hand-over to the plug-in, end. Each step runs only while
// no earlier step has failed; a failure leaves the program open for the user with a message, or,
// when nobody is there to read it, ends the program with exit status 1.
void MDIForm_Main::Autolauf()
{
    Session& s = session();
    s.FehlerAufgetreten = false;
    if (!s.FehlerAufgetreten)
        Command3_Click();
    if (!s.FehlerAufgetreten)
        Command1_Click();
    if (!s.FehlerAufgetreten)
        SingleInstance<Konvertierung>::get().MDB_Anmelden();
    if (!s.FehlerAufgetreten)
        SingleInstance<Konvertierung>::get().Markierte_Tabellen_konvertieren();
    if (!s.FehlerAufgetreten)
        Command2_Click();
    if (!s.FehlerAufgetreten)
        SingleInstance<Abgleichen>::get().XDB_Verarbeiten();
    if (!s.FehlerAufgetreten)
        Modul_Starten(QString(), 1);

    if (!s.FehlerAufgetreten) {
        Programm_Beenden(0);
        return;
    }
    dialogs().message(QStringLiteral("Bei der SQL-Datenbankerweiterung ist ein Fehler aufgetreten!"), QString(),
                      DialogService::Icon::Exclamation);
    if (!dialogs().userPresent())
        Programm_Beenden(1);
}

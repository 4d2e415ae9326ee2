#include "app/MDIForm_Main.h"
#include "app/RunSummary.h"
#include "app/modDatenbankErweiterung.h"
#include "diag/DialogService.h"
#include "diag/Module1.h"
#include "diag/RunReport.h"
#include "diag/SingleInstance.h"
#include "runtime/Platform.h"
#include "workbench/Konvertierung.h"
#include "xdb/Abgleichen.h"

#include <cstdio>

// The unattended run (-auto): login, conversion of the tables missing on the server,
// reconciliation with the XDB document, hand-over to the plug-in, end. Each step runs only while
// no earlier step has failed; a failure leaves the program open for the user with a message, or,
// when nobody is there to read it, ends the program with exit status 1. Either way the run ends
// with its summary and report.
void MDIForm_Main::Autolauf()
{
    Session& s = session();
    runReport().reset();
    runReport().startedMsecs = rt::now().toMSecsSinceEpoch();
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

    const int status = Lauf_Abschliessen();
    if (!s.FehlerAufgetreten) {
        Programm_Beenden(status);
        return;
    }
    dialogs().message(QStringLiteral("Bei der SQL-Datenbankerweiterung ist ein Fehler aufgetreten!"), QString(),
                      DialogService::Icon::Exclamation);
    m_closeStatus = status;
    if (!dialogs().userPresent())
        Programm_Beenden(status);
}

int MDIForm_Main::Lauf_Abschliessen()
{
    const bool failed = session().FehlerAufgetreten;
    const RunReport& report = runReport();
    const qint64 now = rt::now().toMSecsSinceEpoch();
    int status = runExitStatus(failed, report);
    QString reportProblem;
    if (!m_reportPath.isEmpty()) {
        reportProblem = writeRunReport(m_reportPath, runReportJson(report, status, failed, now));
        // A report that a script waits for and does not get is a loss, never a clean run.
        if (!reportProblem.isEmpty() && status == exitstatus::kAllArrived)
            status = exitstatus::kSomethingLost;
    }
    QStringList lines = runSummaryLines(report, status, now);
    if (!reportProblem.isEmpty()) {
        lines.insert(lines.size() - 1, QStringLiteral("Zusammenfassung: ") + reportProblem);
        Fehler_Protokollieren(QStringLiteral("Dorvex"), 0, reportProblem, QStringLiteral("MDIForm_Main"),
                              QStringLiteral("Lauf_Abschliessen"), QString(), QString());
    }
    const QByteArray text = lines.join(u'\n').toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
    return status;
}

#pragma once
#include "diag/RunReport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What an unattended run tells a script at its end: the exit status, a German summary for
// standard error and the same figures as a JSON report (schema in docs/report.md).

namespace exitstatus {
constexpr int kAllArrived = 0;  // every step ran and everything arrived
constexpr int kStepFailed = 1;  // a step failed (FehlerAufgetreten)
constexpr int kUnusableCommandLine = 2;
constexpr int kSomethingLost = 3;  // the run reached its end, but something was lost or skipped
}  // namespace exitstatus

int runExitStatus(bool fehlerAufgetreten, const RunReport& report);

// The summary, one line per entry, each beginning with "Zusammenfassung: ".
QStringList runSummaryLines(const RunReport& report, int exitStatus, qint64 nowMsecs);

// The report as UTF-8 JSON.
QByteArray runReportJson(const RunReport& report, int exitStatus, bool fehlerAufgetreten, qint64 nowMsecs);

// Writes the report through a temporary file in the same folder that is renamed at the end, so a
// reader never sees half a report. Empty on success, otherwise the German reason.
QString writeRunReport(const QString& path, const QByteArray& json);

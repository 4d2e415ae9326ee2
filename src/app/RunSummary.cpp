#include "app/RunSummary.h"
#include "Version.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {
QString pluginStateText(PluginReport::State s)
{
    switch (s) {
    case PluginReport::State::NotAttempted: return QStringLiteral("nicht versucht");
    case PluginReport::State::Started: return QStringLiteral("gestartet");
    case PluginReport::State::NotFound: return QStringLiteral("nicht gefunden");
    case PluginReport::State::Refused: return QStringLiteral("Start abgelehnt");
    }
    return {};
}

QString exitStatusText(int status)
{
    switch (status) {
    case exitstatus::kAllArrived: return QStringLiteral("alles übertragen");
    case exitstatus::kStepFailed: return QStringLiteral("ein Schritt ist fehlgeschlagen, der Lauf wurde abgebrochen");
    case exitstatus::kUnusableCommandLine: return QStringLiteral("die Befehlszeile war nicht verwendbar");
    default: return QStringLiteral("Lauf beendet, aber etwas fehlt oder wurde übersprungen");
    }
}

QString seconds(qint64 msecs) { return QString::number(double(msecs) / 1000.0, 'f', 1); }

QJsonArray stringArray(const QStringList& list)
{
    QJsonArray a;
    for (const QString& s : list)
        a.append(s);
    return a;
}
}  // namespace

int runExitStatus(bool fehlerAufgetreten, const RunReport& report)
{
    if (fehlerAufgetreten)
        return exitstatus::kStepFailed;
    return report.somethingLost() ? exitstatus::kSomethingLost : exitstatus::kAllArrived;
}

QStringList runSummaryLines(const RunReport& r, int exitStatus, qint64 nowMsecs)
{
    QStringList lines;
    lines << QStringLiteral("Tabellen: %1").arg(r.tables.size());
    for (const TableReport& t : r.tables) {
        QString line = QStringLiteral("  \"%1\" %2: gelesen %3, gesendet %4, abgelehnt %5")
                           .arg(t.name, t.failed ? QStringLiteral("[!Fehler!]") : QStringLiteral("[migriert]"))
                           .arg(t.rowsRead)
                           .arg(t.rowsSent)
                           .arg(t.rowsRefused);
        if (t.rowsNotSent > 0)
            line += QStringLiteral(", nicht gesendet %1").arg(t.rowsNotSent);
        if (t.emptyRecords > 0)
            line += QStringLiteral(", leere Sätze %1").arg(t.emptyRecords);
        line += t.serverRows >= 0 ? QStringLiteral(", auf dem Server %1").arg(t.serverRows)
                                  : QStringLiteral(", auf dem Server nicht gezählt");
        if (t.identityAdded)
            line += QStringLiteral(", Autowert-Identität angelegt");
        lines << line;
        for (const QString& p : t.problems)
            lines << QStringLiteral("    - ") + p;
    }
    const XdbReport& x = r.xdb;
    if (x.started) {
        lines << QStringLiteral("XDB-Dokument %1: %2 Zeilen gelesen, %3 Felder hinzugefügt, %4 umbenannt, "
                                "%5 Indizes angelegt, %6 Sichten angelegt, %7 Zeilen nicht angewandt")
                     .arg(x.path)
                     .arg(x.linesRead)
                     .arg(x.fieldsAdded)
                     .arg(x.fieldsRenamed)
                     .arg(x.indexesCreated)
                     .arg(x.viewsCreated)
                     .arg(x.linesNotApplied);
        for (const QString& p : x.problems)
            lines << QStringLiteral("    - ") + p;
    } else {
        lines << QStringLiteral("XDB-Dokument: nicht verarbeitet");
    }
    if (r.viewsNotCreated > 0)
        lines << QStringLiteral("Sichten nicht angelegt: %1").arg(r.viewsNotCreated);
    lines << QStringLiteral("Modul: ") + pluginStateText(r.plugin.state) +
                 (r.plugin.program.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(r.plugin.program));
    lines << QStringLiteral("Dauer: %1 s").arg(seconds(nowMsecs - r.startedMsecs));
    lines << QStringLiteral("Ergebnis: %1 - %2").arg(exitStatus).arg(exitStatusText(exitStatus));
    for (QString& l : lines)
        l.prepend(QStringLiteral("Zusammenfassung: "));
    return lines;
}

QByteArray runReportJson(const RunReport& r, int exitStatus, bool fehlerAufgetreten, qint64 nowMsecs)
{
    QJsonArray tables;
    for (const TableReport& t : r.tables) {
        tables.append(QJsonObject{
            {QStringLiteral("name"), t.name},
            {QStringLiteral("ergebnis"), t.failed ? QStringLiteral("Fehler") : QStringLiteral("migriert")},
            {QStringLiteral("zeilenGelesen"), t.rowsRead},
            {QStringLiteral("zeilenGesendet"), t.rowsSent},
            {QStringLiteral("zeilenAbgelehnt"), t.rowsRefused},
            {QStringLiteral("zeilenNichtGesendet"), t.rowsNotSent},
            {QStringLiteral("leereSaetze"), t.emptyRecords},
            {QStringLiteral("zeilenAufDemServer"), t.serverRows >= 0 ? QJsonValue(t.serverRows) : QJsonValue()},
            {QStringLiteral("autowertAngelegt"), t.identityAdded},
            {QStringLiteral("probleme"), stringArray(t.problems)},
        });
    }
    const XdbReport& x = r.xdb;
    const QJsonObject xdb{
        {QStringLiteral("verarbeitet"), x.started},
        {QStringLiteral("pfad"), x.path},
        {QStringLiteral("zeilenGelesen"), x.linesRead},
        {QStringLiteral("felderHinzugefuegt"), x.fieldsAdded},
        {QStringLiteral("felderUmbenannt"), x.fieldsRenamed},
        {QStringLiteral("indizesAngelegt"), x.indexesCreated},
        {QStringLiteral("sichtenAngelegt"), x.viewsCreated},
        {QStringLiteral("zeilenNichtAngewandt"), x.linesNotApplied},
        {QStringLiteral("probleme"), stringArray(x.problems)},
    };
    const QJsonObject root{
        {QStringLiteral("programm"), QStringLiteral("Dorvex")},
        {QStringLiteral("version"), QString::fromLatin1(dorvex::version::text)},
        {QStringLiteral("beginn"), QDateTime::fromMSecsSinceEpoch(r.startedMsecs).toString(Qt::ISODate)},
        {QStringLiteral("dauerSekunden"), double(nowMsecs - r.startedMsecs) / 1000.0},
        {QStringLiteral("exitStatus"), exitStatus},
        {QStringLiteral("fehlerAufgetreten"), fehlerAufgetreten},
        {QStringLiteral("etwasVerloren"), r.somethingLost()},
        {QStringLiteral("tabellen"), tables},
        {QStringLiteral("xdb"), xdb},
        {QStringLiteral("sichtenNichtAngelegt"), r.viewsNotCreated},
        {QStringLiteral("modul"), QJsonObject{{QStringLiteral("zustand"), pluginStateText(r.plugin.state)},
                                              {QStringLiteral("programm"), r.plugin.program}}},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString writeRunReport(const QString& path, const QByteArray& json)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Berichtsdatei '%1' kann nicht geschrieben werden: %2").arg(path, file.errorString());
    file.write(json);
    if (!file.commit())
        return QStringLiteral("Berichtsdatei '%1' kann nicht geschrieben werden: %2").arg(path, file.errorString());
    return QString();
}

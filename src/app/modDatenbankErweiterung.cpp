#include "app/modDatenbankErweiterung.h"
#include "diag/DialogService.h"
#include "diag/Module1.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "runtime/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {
PluginStarter& starterOverride()
{
    static PluginStarter s;
    return s;
}

qint64 startDetached(const QString& program, const QStringList& args, const QString& folder)
{
    qint64 pid = 0;
    if (!QProcess::startDetached(program, args, folder, &pid))
        return 0;
    return pid;
}

// A value given in double quotes on the command line reaches the plug-in without them.
QString unquoted(const QString& s)
{
    if (s.size() >= 2 && s.startsWith(QLatin1Char('"')) && s.endsWith(QLatin1Char('"')))
        return s.mid(1, s.size() - 2);
    return s;
}
}  // namespace

void setPluginStarter(PluginStarter starter) { starterOverride() = std::move(starter); }

QString Modul_Ordner()
{
    const QChar sep = QDir::separator();
    return rt::programFolder() + sep + QStringLiteral("Plugins") + sep + QStringLiteral("Velmora") + sep;
}

QString Modul_Programm()
{
#ifdef Q_OS_WIN
    return Modul_Ordner() + QStringLiteral("Velmora.exe");
#else
    return Modul_Ordner() + QStringLiteral("Velmora");
#endif
}

QString Modul_Kommandozeile(const QString& programm, const QString& datenbank, const QString& server,
                            const QString& benutzer, const QString& passwort, const QString& argumente)
{
    QString line = programm;
    if (!datenbank.isEmpty() && !server.isEmpty() && !benutzer.isEmpty()) {
        line += QStringLiteral(" -sp_datenbank=@@@") + Base64_Kodieren(datenbank);
        line += QStringLiteral(" -sp_server=@@@") + Base64_Kodieren(server);
        line += QStringLiteral(" -sp_benutzer=@@@") + Base64_Kodieren(benutzer);
        line += QStringLiteral(" -sp_passwort=@@@") + Base64_Kodieren(passwort);
    }
    return line + QStringLiteral(" ") + argumente;
}

std::optional<qint64> Modul_Starten(const QString& argumente, int /*fensterstil*/)
{
    PluginReport& report = runReport().plugin;
    report.program = Modul_Programm();
    // Whatever ends the launch without a process counts as refused, unless the file is missing.
    report.state = PluginReport::State::Refused;
    try {
        const QString folder = Modul_Ordner();
        const QString program = Modul_Programm();
        if (!Datei_Existiert(program)) {
            report.state = PluginReport::State::NotFound;
            dialogs().message(
                QStringLiteral("Das Modul wurde nicht gefunden. Bitte wenden Sie sich an Ihren Administrator."));
            return std::nullopt;
        }
        const QString section = QStringLiteral("Database Source");
        const QString database = Ini_Lesen(section, QStringLiteral("SQL_Database"));
        const QString server = Ini_Lesen(section, QStringLiteral("SQL_Server"));
        const QString user = unquoted(session().ParamBenutzer);
        const QString password = unquoted(session().ParamPasswort);
        const QString line = Modul_Kommandozeile(program, database, server, user, password, argumente);

        // The program path may hold blanks, so it is taken off the front rather than split.
        const QStringList args = QProcess::splitCommand(line.mid(program.size()));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder);
        const qint64 pid =
            starterOverride() ? starterOverride()(program, args, folder) : startDetached(program, args, folder);
        QDir::setCurrent(previous);
        if (pid != 0) {
            report.state = PluginReport::State::Started;
            return pid;
        }
        dialogs().message(
            QStringLiteral("Fehler beim Starten des Moduls. Bitte wenden Sie sich an Ihren Administrator."));
    } catch (const rt::RuntimeError& e) {
        dialogs().message(e.description(), QStringLiteral("Fehler"));
    }
    return std::nullopt;
}

QString Ini_Lesen(const QString& abschnitt, const QString& schluessel)
{
    QString result;
    try {
        const QString path = rt::programFolder() + QDir::separator() + QStringLiteral("zab.ini");
        if (!Datei_Existiert(path))
            return result;
        rt::Cp1252LineReader file(path);
        const QString header = QStringLiteral("[") + abschnitt.toUpper() + QStringLiteral("]");
        const QString key = schluessel.toUpper();
        bool inSection = false;
        while (!file.atEnd()) {
            const QString line = file.readLine();
            const QString t = rt::trim(line);
            if (t.toUpper() == header) {
                inSection = true;
            } else if (line.startsWith(QLatin1Char('['))) {
                inSection = false;
            }
            // Keys match by prefix, as they always did.
            if (inSection && t.contains(QLatin1Char('=')) && rt::left(t, key.size()).toUpper() == key) {
                result = rt::trim(line.mid(line.indexOf(QLatin1Char('=')) + 1));
                break;
            }
        }
    } catch (const rt::RuntimeError& e) {
        dialogs().message(e.description(), QStringLiteral("Fehler"));
    }
    return result;
}

bool Datei_Existiert(const QString& pfad)
{
    if (rt::trim(pfad).isEmpty())
        return false;
    const QFileInfo info(pfad);
    QString found;
    if (pfad.contains(QLatin1Char('*')) || pfad.contains(QLatin1Char('?'))) {
        const QStringList names = info.dir().entryList({info.fileName()}, QDir::Files, QDir::Name);
        if (!names.isEmpty())
            found = names.first();
    } else if (info.isFile()) {
        found = info.fileName();
    }
    return !rt::trim(found).isEmpty() && pfad.toUpper().contains(found.toUpper());
}

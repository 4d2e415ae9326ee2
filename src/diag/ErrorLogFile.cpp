#include "Version.h"
#include "diag/DialogService.h"
#include "diag/Module1.h"
#include "runtime/Cp1252.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "runtime/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

QString versionNumber()
{
    return QStringLiteral("%1.%2.%3")
        .arg(dorvex::version::major)
        .arg(dorvex::version::minor)
        .arg(dorvex::version::revision);
}
}  // namespace

QStringList folderLevels(const QString& pfad)
{
    // The levels are written with the separator the path itself uses ("\\" or "/").
    QChar sep = QDir::separator();
    for (QChar c : pfad)
        if (isSeparator(c)) {
            sep = c;
            break;
        }
    // A network path keeps its server part (\\server\ or //server/) as a prefix that is never
    // created; an absolute path keeps its root.
    QString prefix;
    QString work = pfad;
    if (pfad.size() >= 2 && isSeparator(pfad[0]) && isSeparator(pfad[1])) {
        qsizetype i = 2;
        while (i < pfad.size() && !isSeparator(pfad[i]))
            ++i;
        prefix = pfad.left(std::min(i + 1, pfad.size()));
        work = pfad.mid(prefix.size());
    } else if (!pfad.isEmpty() && isSeparator(pfad[0])) {
        prefix = pfad.left(1);
        work = pfad.mid(1);
    }
    QStringList levels;
    QString accumulated;
    for (const QString& part : work.split(QRegularExpression(QStringLiteral("[\\\\/]")))) {
        if (part.isEmpty())
            continue;
        accumulated += part + sep;
        levels << prefix + accumulated;
    }
    return levels;
}

bool Verzeichnis_Anlegen(const QString& pfad)
{
    if (pfad.isEmpty())
        return false;
    if (!QFileInfo(pfad).isDir()) {
        for (const QString& level : folderLevels(pfad))
            if (!QFileInfo(level).isDir())
                QDir().mkdir(level);
    }
    return QFileInfo(pfad).isDir();
}

void Fehler_Protokollieren(const QString& Quelle, qint32 Fehler, const QString& Beschreibung, const QString& Modul,
                           const QString& Code, const QString& Query, const QString& Datei)
{
    // Logging must never disturb the operation that failed: a lost entry is the only outcome.
    QString path;
    try {
        const QChar sep = QDir::separator();
        const QString folder = rt::programFolder() + sep + QStringLiteral("Log") + sep + rt::applicationName();
        if (!QFileInfo(folder).isDir())
            Verzeichnis_Anlegen(folder);
        const QDateTime now = rt::now();
        QString name = Datei;
        if (name.isEmpty())
            name = QStringLiteral("ERROR_%1_%2").arg(now.date().year()).arg(now.date().month());
        const QString tab = QStringLiteral("\t");
        QStringList lines;
        lines << QString(60, QLatin1Char('-'))
              << rt::applicationName() + QStringLiteral(": ") + versionNumber() + QStringLiteral(" am ") +
                     rt::generalDateText(now)
              << QStringLiteral("Modul: ") + Modul + tab + QStringLiteral("Code: ") + Code + tab +
                     QStringLiteral("Line: 0")
              << QStringLiteral("Quelle: ") + Quelle + tab + QStringLiteral("Fehler: ") + QString::number(Fehler) +
                     tab + Beschreibung;
        if (!Query.isEmpty())
            lines << QStringLiteral("Query: ") + Base64_Kodieren(Query);
        // Shown before the file is touched, so a folder that cannot be written does not hide it.
        mirrorLog(QStringLiteral("Protokolldatei: "), lines.join(u'\n'));
        path = folder + sep + name + QStringLiteral(".LOG");
        const bool isNew = !QFileInfo::exists(path);
        rt::appendCp1252Lines(path, lines);
        // A log folder shared by a group of administrators: a new month's file stays writable for
        // the others, whatever the creator's umask, so their entries are not lost.
        if (isNew && (QFile::permissions(folder) & QFileDevice::WriteGroup))
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteGroup);
    } catch (const rt::RuntimeError& e) {
        // The entry is lost; on a screen nothing is shown, without one the reason is.
        mirrorLog(QStringLiteral("Protokolldatei: "),
                  QStringLiteral("Eintrag nicht geschrieben (%1): %2").arg(path, e.description()));
    } catch (const std::exception&) {
        // the entry is lost; nothing is shown
    }
}

QString Base64_Kodieren(const QString& text)
{
    if (text.isEmpty())
        return QString();
    return QString::fromLatin1(rt::toCp1252(text).toBase64());
}

#include "Fixtures.h"

#include "diag/AppContext.h"
#include "diag/Session.h"
#include "runtime/Cp1252.h"
#include "runtime/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace testsupport {

QString sharedFixture(const QString& fileName)
{
    QStringList folders;
    if (qEnvironmentVariableIsSet("DORVEX_FIXTURES"))
        folders << qEnvironmentVariable("DORVEX_FIXTURES");
    // shared/fixtures beside the source tree or beside one of its parents (a worktree sits
    // deeper than the main checkout).
    for (QDir d(QStringLiteral(DORVEX_SOURCE_DIR)); d.cdUp();)
        folders << d.filePath(QStringLiteral("shared/fixtures"));
    for (const QString& f : folders) {
        const QString p = QDir(f).filePath(fileName);
        if (QFileInfo::exists(p))
            return QFileInfo(p).absoluteFilePath();
    }
    return QString();
}

QString tempFolder()
{
    static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    dirs.push_back(std::make_unique<QTemporaryDir>());
    return dirs.back()->path();
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    const QString full = QFileInfo(path).isRelative() ? QDir(tempFolder()).filePath(path) : path;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("test file not written: %s", qPrintable(full));
    return full;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray cp1252Document(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += rt::toCp1252(line) + "\r\n";
    return out;
}

QString readStream(std::FILE* stream)
{
    std::fflush(stream);
    std::rewind(stream);
    QByteArray bytes;
    char buffer[512];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        bytes.append(buffer, qsizetype(n));
    return QString::fromUtf8(bytes);
}

QString beginSession(MainWindowAccess& mainWindow)
{
    resetForTests();
    session().mainWindow = &mainWindow;
    const QString folder = tempFolder();
    rt::setProgramFolder(folder);
    return folder;
}

void endSession() { resetForTests(); }

QString errorLogText(const QString& programFolder)
{
    QString all;
    const QDir dir((programFolder.isEmpty() ? rt::programFolder() : programFolder) + QStringLiteral("/Log/") +
                   rt::applicationName());
    for (const QString& name : dir.entryList({QStringLiteral("*.LOG")}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            all += QString::fromLatin1(f.readAll());
    }
    return all;
}

QString sampleFile(const QString& fileName) { return QStringLiteral(DORVEX_BINARY_DIR "/sample/") + fileName; }

bool runningInCi()
{
    const QByteArray ci = qgetenv("CI");
    return ci == "true" || ci == "1";
}

}  // namespace testsupport

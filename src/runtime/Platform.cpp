#include "runtime/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <ctime>

namespace rt {
namespace {
std::function<QDateTime()>& clockFunction()
{
    static std::function<QDateTime()> f;
    return f;
}
QString& folderOverride()
{
    static QString folder;
    return folder;
}
}  // namespace

QDateTime now() { return clockFunction() ? clockFunction()() : QDateTime::currentDateTime(); }

void cacheLocalTimeZone()
{
    if (!qEnvironmentVariableIsSet("TZ") && QFileInfo::exists(QStringLiteral("/etc/localtime")))
        qputenv("TZ", ":/etc/localtime");
}

void setClock(std::function<QDateTime()> clock) { clockFunction() = std::move(clock); }

qint64 msecsOfDay()
{
    if (clockFunction())
        return clockFunction()().time().msecsSinceStartOfDay();
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    // The local second of the day changes with the UTC second (and with the zone's rules only at
    // a whole second), so one conversion per second gives the same figures as now().
    thread_local time_t cachedSecond = -1;
    thread_local qint64 cachedLocalSecond = 0;
    if (ts.tv_sec != cachedSecond) {
        tm local{};
        localtime_r(&ts.tv_sec, &local);
        cachedLocalSecond = qint64(local.tm_hour) * 3600 + local.tm_min * 60 + local.tm_sec;
        cachedSecond = ts.tv_sec;
    }
    return cachedLocalSecond * 1000 + ts.tv_nsec / 1000000;
}

QString programFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    // The folder of the real file: when installed, /usr/bin/dorvex is only a link into the
    // program folder that holds the plug-in, zab.ini and the Log folder.
    if (QCoreApplication::instance()) {
        const QString real = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        return real.isEmpty() ? QCoreApplication::applicationDirPath() : QFileInfo(real).absolutePath();
    }
    return QDir::currentPath();
}

void setProgramFolder(const QString& folder) { folderOverride() = QDir::cleanPath(folder); }

}  // namespace rt

#include "runtime/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

QString programFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void setProgramFolder(const QString& folder) { folderOverride() = QDir::cleanPath(folder); }

}  // namespace rt

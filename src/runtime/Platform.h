#pragma once
#include <QDateTime>
#include <QString>
#include <functional>

// The edges of the program that tests replace: the clock and the program folder.
namespace rt {

QDateTime now();                                          // local date and time
void setClock(std::function<QDateTime()> clock);          // empty function restores the real clock

QString programFolder();                                  // folder of the executable, no trailing separator
void setProgramFolder(const QString& folder);             // empty restores the default

inline const QString& applicationName()
{
    static const QString name = QStringLiteral("Dorvex");
    return name;
}

}  // namespace rt

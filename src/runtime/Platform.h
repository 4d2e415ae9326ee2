#pragma once
#include <QDateTime>
#include <QString>
#include <functional>

// The edges of the program that tests replace: the clock and the program folder.
namespace rt {

QDateTime now();  // local date and time
// With TZ unset the C library reads the zone file again at every clock reading; a conversion
// reads the clock for every row. Naming the zone file (when TZ is unset) lets it read it once.
// Call before the first clock reading.
void cacheLocalTimeZone();
void setClock(std::function<QDateTime()> clock);  // empty function restores the real clock
// Milliseconds since local midnight, as now() gives them, but cheap enough to read for every
// row of a copy: the local time is worked out once per second, not at every reading.
qint64 msecsOfDay();

QString programFolder();                       // folder of the executable, no trailing separator
void setProgramFolder(const QString& folder);  // empty restores the default

inline const QString& applicationName()
{
    static const QString name = QStringLiteral("Dorvex");
    return name;
}

}  // namespace rt

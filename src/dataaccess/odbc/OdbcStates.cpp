#include "OdbcStates.h"

namespace odbc {

QString standardState(const QString& state, const QString& message)
{
    if (state != QLatin1String("S1000") && state != QLatin1String("HY000"))
        return state;
    const bool odbc3 = state == QLatin1String("HY000");
    struct Rule {
        const char* text;
        const char* odbc2;
        const char* odbc3;
    };
    // Message texts of the SQLite engine (the SQLite ODBC driver passes them through).
    static const Rule rules[] = {
        {"no such table", "S0002", "42S02"},
        {"no such view", "S0002", "42S02"},
        {"duplicate column name", "S0021", "42S21"},
        {"no such column", "S0022", "42S22"},
    };
    for (const Rule& r : rules) {
        if (message.contains(QLatin1String(r.text), Qt::CaseInsensitive))
            return QLatin1String(odbc3 ? r.odbc3 : r.odbc2);
    }
    // "table X already exists" / "index X already exists"
    if (message.contains(QLatin1String("already exists"), Qt::CaseInsensitive)) {
        if (message.contains(QLatin1String("index "), Qt::CaseInsensitive))
            return QLatin1String(odbc3 ? "42S11" : "S0011");
        if (message.contains(QLatin1String("table "), Qt::CaseInsensitive) ||
            message.contains(QLatin1String("view "), Qt::CaseInsensitive))
            return QLatin1String(odbc3 ? "42S01" : "S0001");
    }
    return state;
}

QString failureDescription(const QString& state, const QString& message)
{
    return standardState(state, message) + QLatin1String(": ") + message;
}

}  // namespace odbc

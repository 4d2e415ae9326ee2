#include "diag/RunReport.h"

TableReport& RunReport::table(const QString& name)
{
    for (TableReport& t : tables) {
        if (t.name == name)
            return t;
    }
    tables.append(TableReport());
    tables.last().name = name;
    return tables.last();
}

bool RunReport::somethingLost() const
{
    for (const TableReport& t : tables) {
        if (t.failed || t.rowsRefused > 0 || t.rowsNotSent > 0 || (t.serverRows >= 0 && t.serverRows < t.rowsSent))
            return true;
    }
    if (xdb.linesNotApplied > 0 || viewsNotCreated > 0)
        return true;
    return plugin.state == PluginReport::State::NotFound || plugin.state == PluginReport::State::Refused;
}

RunReport& runReport()
{
    static RunReport report;
    return report;
}

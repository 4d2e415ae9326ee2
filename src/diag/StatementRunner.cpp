#include "diag/Module1.h"
#include "diag/Session.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

void SQL_Ausfuehren(QString& sql)
{
    const MainWindowAccess& mw = mainWindow();
    const ServerKind kind = mw.serverKind();
    if (kind == ServerKind::MySQL || (kind == ServerKind::Sybase && mw.linuxChecked()))
        sql.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    if (!session().Verbindung1)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    try {
        session().Verbindung1->execute(sql, sql::kExecDirect);
    } catch (const rt::RuntimeError& e) {
        if (kind == ServerKind::Sybase && e.description().startsWith(QLatin1String("S1000:")))
            return;
        throw;
    }
}

bool Fremd_DSN(const QString& dataSourceName)
{
    const QString prefix = rt::left(dataSourceName, 5).toUpper();
    return prefix == QLatin1String("TIRAM") || prefix == QLatin1String("MEXOL") ||
           prefix == QLatin1String("RUDEN");
}

bool Fremd_DSN() { return Fremd_DSN(mainWindow().odbcName()); }

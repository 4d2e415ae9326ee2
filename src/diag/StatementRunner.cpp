#include "diag/Module1.h"
#include "diag/Session.h"
#include "diag/TextOptions.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

void SQL_Ausfuehren(QString& sql)
{
    const TextOptions o = mainWindowTextOptions();
    const ServerKind kind = o.kind;
    if (doublesBackslashes(o))
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
    // Compared character by character: the options are read for every row of a copy.
    if (dataSourceName.size() < 5)
        return false;
    const auto startsWith = [&](const char* prefix) {
        for (int i = 0; i < 5; ++i)
            if (dataSourceName[i].toUpper() != QLatin1Char(prefix[i]))
                return false;
        return true;
    };
    return startsWith("TIRAM") || startsWith("MEXOL") || startsWith("RUDEN");
}

bool Fremd_DSN() { return Fremd_DSN(mainWindow().odbcName()); }

#include "diag/StatementRunner.h"
#include "diag/Module1.h"
#include "diag/Session.h"
#include "diag/TextOptions.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace diag {

void SessionStatementRunner::execute(QString& sql, const TextOptions& o)
{
    if (doublesBackslashes(o))
        sql.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    sql::Connection* c = connection();
    if (!c)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    try {
        c->execute(sql, sql::kExecDirect);
    } catch (const rt::RuntimeError& e) {
        if (o.kind == ServerKind::Sybase && e.description().startsWith(QLatin1String("S1000:")))
            return;
        throw;
    }
}

std::unique_ptr<sql::ResultSet> SessionStatementRunner::query(const QString& sql, int cursorType)
{
    sql::Connection* c = connection();
    if (!c)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    return c->openResultset(sql, cursorType, sql::kReadOnly, sql::kExecDirect);
}

sql::Connection* SessionStatementRunner::connection() { return session().Verbindung1.get(); }

}  // namespace diag

void SQL_Ausfuehren(QString& sql) { diag::SessionStatementRunner().execute(sql, mainWindowTextOptions()); }

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

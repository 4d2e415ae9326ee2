#pragma once
// The bare ODBC ceiling for the data copy: one SQLExecDirectW per statement, autocommit, no
// prepared statements, nothing else. Header only, so other benchmarks can compare against it.
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace bench {

struct LoopFigures {
    long long statements = 0;
    double seconds = 0;
    double perSecond() const { return seconds > 0 ? double(statements) / seconds : 0; }
};

inline std::string odbcFailure(SQLSMALLINT type, SQLHANDLE h, const char* what)
{
    SQLWCHAR state[6] = {}, text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    std::string s = what;
    if (SQLGetDiagRecW(type, h, 1, state, &native, text, 1024, &len) == SQL_SUCCESS)
        s += ": " + QString::fromUtf16(reinterpret_cast<const char16_t*>(state), 5).toStdString() + ": " +
             QString::fromUtf16(reinterpret_cast<const char16_t*>(text)).toStdString();
    return s;
}

// Connects to `dsn` (a data source name, or a connection string when it contains "="), runs
// `setup` untimed, then every statement of `statements` timed, then `teardown` untimed.
inline LoopFigures runBareOdbcLoop(const QString& dsn, const QString& user, const QString& password,
                                   const QStringList& setup, const QStringList& statements, const QStringList& teardown)
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    auto cleanup = [&] {
        if (stmt)
            SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        if (dbc) {
            SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        if (env)
            SQLFreeHandle(SQL_HANDLE_ENV, env);
    };
    auto fail = [&](SQLSMALLINT type, SQLHANDLE h, const char* what) {
        const std::string s = odbcFailure(type, h, what);
        cleanup();
        throw std::runtime_error(s);
    };
    auto w = [](const QString& s) { return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(s.utf16())); };

    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLRETURN rc;
    if (dsn.contains(QLatin1Char('='))) {
        QString c = dsn;
        if (!user.isEmpty())
            c += QStringLiteral(";UID=") + user;
        if (!password.isEmpty())
            c += QStringLiteral(";PWD=") + password;
        rc = SQLDriverConnectW(dbc, nullptr, w(c), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    } else {
        rc = SQLConnectW(dbc, w(dsn), SQL_NTS, user.isEmpty() ? nullptr : w(user), user.isEmpty() ? 0 : SQL_NTS,
                         password.isEmpty() ? nullptr : w(password), password.isEmpty() ? 0 : SQL_NTS);
    }
    if (!SQL_SUCCEEDED(rc))
        fail(SQL_HANDLE_DBC, dbc, "connect");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);

    auto run = [&](const QString& s) {
        const SQLRETURN r = SQLExecDirectW(stmt, w(s), SQLINTEGER(s.size()));
        if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA)
            fail(SQL_HANDLE_STMT, stmt, qPrintable(s.left(80)));
        SQLFreeStmt(stmt, SQL_CLOSE);
    };
    for (const QString& s : setup)
        run(s);
    LoopFigures f;
    QElapsedTimer timer;
    timer.start();
    for (const QString& s : statements) {
        run(s);
        ++f.statements;
    }
    f.seconds = double(timer.nsecsElapsed()) / 1e9;
    for (const QString& s : teardown) {
        const SQLRETURN r = SQLExecDirectW(stmt, w(s), SQLINTEGER(s.size()));  // best effort
        (void)r;
        SQLFreeStmt(stmt, SQL_CLOSE);
    }
    cleanup();
    return f;
}

}  // namespace bench

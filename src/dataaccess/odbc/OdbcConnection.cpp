#include "OdbcConnection.h"

#include "OdbcValues.h"
#include "StatementWatchdog.h"
#include "runtime/RuntimeError.h"

#include <QRegularExpression>

#include <vector>

// A connection and what runs on it: statements, result sets, the catalogue's tables, each
// under the statement time-out.

namespace odbc {

namespace {

bool isTimeoutState(const rt::RuntimeError& e)
{
    return e.description().startsWith(QLatin1String("S1T00:")) || e.description().startsWith(QLatin1String("HYT00:"));
}

// A failure of a call that ran into the time-out: the driver's own text says "lost connection"
// or "interrupted", so the description names the real cause first.
[[noreturn]] void raiseTimeout(int seconds, const rt::RuntimeError& cause)
{
    raiseOwn(QStringLiteral("S1T00"),
             QStringLiteral("Zeitüberschreitung: Die Anweisung lief länger als die Abfrage-Zeitgrenze von %1 "
                            "Sekunden und wurde abgebrochen (%2)")
                 .arg(seconds)
                 .arg(cause.description()));
}

// Runs `work` under the watchdog (see StatementWatch); a failure after the time-out passed is
// the time-out failure.
template <class Work>
auto watched(SQLHSTMT cancelTarget, int seconds, std::shared_ptr<void> keepAlive, const QString& what, Work work)
{
    StatementWatch watch(cancelTarget, seconds, std::move(keepAlive), what);
    try {
        return work();
    } catch (const rt::RuntimeError& e) {
        if (seconds > 0 && (watch.expired() || isTimeoutState(e)))
            raiseTimeout(seconds, e);
        throw;
    }
}

QString statementWhat(const QString& statement)
{
    const QString s = statement.simplified();
    return QStringLiteral("Die Anweisung '%1'").arg(s.size() > 120 ? s.left(117) + QStringLiteral("...") : s);
}

// One value for a connection string: braced when it holds characters the string's syntax uses.
QString connectValue(const QString& v)
{
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{')) && !v.contains(QLatin1Char('}')) &&
        v.trimmed() == v)
        return v;
    return QLatin1Char('{') + QString(v).replace(QStringLiteral("}"), QStringLiteral("}}")) + QLatin1Char('}');
}

// The login time-out in seconds; an unreachable host must not hang the program.
constexpr int kLoginTimeout = 15;

// An open connection handle; disconnects before it is freed.
struct ConnectionHandle {
    std::shared_ptr<EnvironmentHandle> env;
    Handle dbc;
    bool connected = false;
    // What opened it (with user and password), to open it again with other read time-outs.
    QString connectString;
    // The driver takes read and write time-outs at connect time only (MariaDB's ignores the
    // statement time-out and its cancel needs a server that answers); -1 = not such a driver.
    int readTimeout = -1;
    // One statement handle serves every execute: the data copy runs one per row.
    Handle execStatement;
    int execTimeout = 0;
    // Autocommit as last set; a transaction is open while it is off.
    bool autoCommit = true;
    ~ConnectionHandle()
    {
        execStatement.reset();
        if (connected)
            SQLDisconnect(dbc.get());
        dbc.reset();
    }
};

// Connects the handle with a connection string, under the login time-out and the watchdog.
void driverConnect(ConnectionHandle& conn, const QString& connect, const QString& what)
{
    StatementWatch watch(SQL_NULL_HSTMT, kLoginTimeout, nullptr, what);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(conn.dbc.get(), nullptr, wideIn(connect), SQLSMALLINT(connect.size()), out,
                                           1024, &outLength, SQL_DRIVER_NOPROMPT);
    check(rc, conn.dbc, "SQLDriverConnect");
    conn.connected = true;
}

// Brings the driver's read and write time-outs in line with the statement time-out; such a
// driver takes them only when it connects, so the connection is opened again.
void applyReadTimeout(ConnectionHandle& conn, int seconds)
{
    if (conn.readTimeout < 0 || conn.readTimeout == seconds)
        return;
    // Connecting again would drop the open transaction with its rows.
    if (!conn.autoCommit)
        raiseOwn(QStringLiteral("S1010"), QStringLiteral("The time-out cannot change while a transaction is open"));
    conn.execStatement.reset();
    if (conn.connected)
        SQLDisconnect(conn.dbc.get());
    conn.connected = false;
    driverConnect(conn, conn.connectString + QStringLiteral(";READ_TIMEOUT=%1;WRITE_TIMEOUT=%1").arg(seconds),
                  QStringLiteral("Die Anmeldung an der Datenquelle"));
    conn.readTimeout = seconds;
}

QString infoText(const Handle& dbc, SQLUSMALLINT item)
{
    SQLWCHAR buffer[512] = {};
    SQLSMALLINT bytes = 0;
    const SQLRETURN rc = SQLGetInfoW(dbc.get(), item, buffer, sizeof(buffer), &bytes);
    if (!succeeded(rc))
        return QString();
    qsizetype units = qMin<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), 511);
    while (units > 0 && buffer[units - 1] == 0)
        --units;
    return fromWide(buffer, units);
}

// The first row of a statement, read whole when the result set is opened. The statement is
// freed at once, so a result set left open never blocks the connection (drivers that allow
// only one active statement per connection).
class OdbcResultSet : public sql::ResultSet {
public:
    OdbcResultSet(std::vector<QVariant> row, bool hasRow) : row_(std::move(row)), hasRow_(hasRow) {}

    QVariant value(int column) override
    {
        if (closed_)
            raiseOwn(QStringLiteral("S1010"), QStringLiteral("The result set is closed"));
        if (!hasRow_)
            raiseOwn(QStringLiteral("24000"), QStringLiteral("No current row"));
        if (column < 0 || size_t(column) >= row_.size())
            raiseOwn(QStringLiteral("S1002"), QStringLiteral("Invalid column number %1").arg(column));
        return row_[size_t(column)];
    }
    void close() override { closed_ = true; }

private:
    std::vector<QVariant> row_;
    bool hasRow_;
    bool closed_ = false;
};

class OdbcTable : public sql::Table {
public:
    OdbcTable(std::shared_ptr<ConnectionHandle> conn, std::shared_ptr<int> timeout, QString catalog, QString schema,
              QString name)
        : conn_(std::move(conn)),
          timeout_(std::move(timeout)),
          catalog_(std::move(catalog)),
          schema_(std::move(schema)),
          name_(std::move(name))
    {}

    QString name() const override { return name_; }
    QStringList columnNames() const override { return columns_; }
    void refreshColumns() override;

private:
    std::shared_ptr<ConnectionHandle> conn_;
    std::shared_ptr<int> timeout_;
    QString catalog_, schema_, name_;
    QStringList columns_;
};

Handle newStatement(const ConnectionHandle& conn, int timeout)
{
    Handle stmt = allocate(SQL_HANDLE_STMT, conn.dbc, "SQLAllocHandle(statement)");
    if (timeout > 0) {
        // Drivers that do not support a time-out refuse it; the statement then runs without.
        SQLSetStmtAttrW(stmt.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(timeout)), 0);
    }
    return stmt;
}

// The statement the watchdog cancels; none for drivers whose read time-outs end the call (their
// cancel would wait on the same frozen server).
SQLHSTMT cancelTarget(const ConnectionHandle& conn, const Handle& stmt)
{
    return conn.readTimeout >= 0 ? SQL_NULL_HSTMT : stmt.get();
}

// A nullable catalogue argument: NULL for an empty text.
struct CatalogArgument {
    explicit CatalogArgument(const QString& s) : text(s) {}
    SQLWCHAR* pointer() { return text.isEmpty() ? nullptr : wideIn(text); }
    SQLSMALLINT length() const { return text.isEmpty() ? 0 : SQLSMALLINT(SQL_NTS); }
    QString text;
};

void OdbcTable::refreshColumns()
{
    applyReadTimeout(*conn_, *timeout_);
    Handle stmt = newStatement(*conn_, *timeout_);
    CatalogArgument cat(catalog_), sch(schema_), tab(name_);
    // The table name is a search pattern ("_" matches any character): keep only rows of this table.
    QStringList columns;
    watched(cancelTarget(*conn_, stmt), *timeout_, conn_, QStringLiteral("Die Spaltenliste von '%1'").arg(name_), [&] {
        check(SQLColumnsW(stmt.get(), cat.pointer(), cat.length(), sch.pointer(), sch.length(), tab.pointer(),
                          tab.length(), nullptr, 0),
              stmt, "SQLColumns");
        forEachRow(stmt, [&] {
            bool null = false;
            if (readText(stmt, 3, null) == name_)
                columns << readText(stmt, 4, null);
        });
    });
    columns_ = columns;
}

class OdbcConnection : public sql::Connection {
public:
    OdbcConnection(std::shared_ptr<ConnectionHandle> conn, QString name)
        : conn_(std::move(conn)), name_(std::move(name)), timeout_(std::make_shared<int>(0))
    {}

    void setQueryTimeout(int seconds) override { *timeout_ = qMax(0, seconds); }
    QString name() const override { return name_; }

    QString dbmsName() override
    {
        if (!dbmsNameRead_) {
            dbmsName_ = infoText(conn_->dbc, SQL_DBMS_NAME);
            dbmsNameRead_ = true;
        }
        return dbmsName_;
    }

    QString versionText() override
    {
        const QString driver = infoText(conn_->dbc, SQL_DRIVER_NAME);
        const QString driverVersion = infoText(conn_->dbc, SQL_DRIVER_VER);
        const QString dbms = infoText(conn_->dbc, SQL_DBMS_NAME);
        const QString dbmsVersion = infoText(conn_->dbc, SQL_DBMS_VER);
        return QStringLiteral("%1 %2 / %3 %4").arg(driver, driverVersion, dbms, dbmsVersion).simplified();
    }

    void execute(const QString& statement, int /*options*/) override
    {
        // Every statement is executed directly; the option only said so to the old library.
        applyReadTimeout(*conn_, *timeout_);
        if (!conn_->execStatement || conn_->execTimeout != *timeout_) {
            conn_->execStatement = newStatement(*conn_, *timeout_);
            conn_->execTimeout = *timeout_;
        }
        const Handle& stmt = conn_->execStatement;
        struct CloseCursor {
            SQLHANDLE h;
            ~CloseCursor() { SQLFreeStmt(h, SQL_CLOSE); }
        } closeCursor{stmt.get()};
        watched(cancelTarget(*conn_, stmt), *timeout_, conn_, statementWhat(statement), [&] {
            const SQLRETURN rc = SQLExecDirectW(stmt.get(), wideIn(statement), SQLINTEGER(statement.size()));
            if (rc != SQL_NO_DATA)
                check(rc, stmt, "SQLExecDirect");
            // Move through every result a batch may give, so its later failures are reported too.
            for (SQLRETURN more = SQLMoreResults(stmt.get()); more != SQL_NO_DATA; more = SQLMoreResults(stmt.get())) {
                if (!succeeded(more))
                    raiseFailure(SQL_HANDLE_STMT, stmt.get(), "SQLMoreResults");
            }
        });
    }

    void setAutoCommit(bool on) override
    {
        if (!on && conn_->autoCommit)  // the driver's time-outs first: connecting again resets the setting
            applyReadTimeout(*conn_, *timeout_);
        const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
        check(SQLSetConnectAttrW(conn_->dbc.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(value), 0),
              conn_->dbc, "SQLSetConnectAttr(SQL_ATTR_AUTOCOMMIT)");
        conn_->autoCommit = on;
    }

    void commit() override { endTransaction(SQL_COMMIT, "SQLEndTran(SQL_COMMIT)"); }
    void rollback() override { endTransaction(SQL_ROLLBACK, "SQLEndTran(SQL_ROLLBACK)"); }

    std::unique_ptr<sql::ResultSet> openResultset(const QString& statement, int, int, int) override
    {
        applyReadTimeout(*conn_, *timeout_);
        Handle stmt = newStatement(*conn_, *timeout_);
        return watched(cancelTarget(*conn_, stmt), *timeout_, conn_, statementWhat(statement), [&] {
            SQLRETURN rc = SQLExecDirectW(stmt.get(), wideIn(statement), SQLINTEGER(statement.size()));
            if (rc != SQL_NO_DATA)
                check(rc, stmt, "SQLExecDirect");
            SQLSMALLINT columns = 0;
            check(SQLNumResultCols(stmt.get(), &columns), stmt, "SQLNumResultCols");
            std::vector<QVariant> row;
            bool hasRow = false;
            if (columns > 0) {
                rc = SQLFetch(stmt.get());
                if (rc != SQL_NO_DATA) {
                    check(rc, stmt, "SQLFetch");
                    hasRow = true;
                    row.reserve(size_t(columns));
                    for (SQLSMALLINT c = 1; c <= columns; ++c)
                        row.push_back(readValue(stmt, SQLUSMALLINT(c)));
                }
            }
            return std::make_unique<OdbcResultSet>(std::move(row), hasRow);
        });
    }

    void refreshTables() override
    {
        applyReadTimeout(*conn_, *timeout_);
        Handle stmt = newStatement(*conn_, *timeout_);
        const QString types = QStringLiteral("TABLE,VIEW");
        // Without a catalogue some drivers (MariaDB) list the tables of every database on the
        // server; only the connection's own database counts.
        CatalogArgument catalog(currentCatalog());
        std::vector<std::shared_ptr<OdbcTable>> tables;
        watched(cancelTarget(*conn_, stmt), *timeout_, conn_, QStringLiteral("Die Tabellenliste"), [&] {
            check(SQLTablesW(stmt.get(), catalog.pointer(), catalog.length(), nullptr, 0, nullptr, 0, wideIn(types),
                             SQL_NTS),
                  stmt, "SQLTables");
            forEachRow(stmt, [&] {
                bool null = false;
                const QString tableCatalog = readText(stmt, 1, null);
                const QString schema = readText(stmt, 2, null);
                const QString name = readText(stmt, 3, null);
                tables.push_back(std::make_shared<OdbcTable>(conn_, timeout_, tableCatalog, schema, name));
            });
        });
        tables_ = std::move(tables);
        tablesLoaded_ = true;
    }

    std::shared_ptr<sql::Table> table(const QString& name) override
    {
        if (!tablesLoaded_)
            refreshTables();
        for (const auto& t : tables_) {
            if (t->name() == name)
                return t;
        }
        // Server catalogues differ in case (Oracle and DB2 upper-case unquoted names).
        for (const auto& t : tables_) {
            if (t->name().compare(name, Qt::CaseInsensitive) == 0)
                return t;
        }
        raiseOwn(QStringLiteral("S0002"), QStringLiteral("Table not found in the catalogue: %1").arg(name));
    }

private:
    void endTransaction(SQLSMALLINT completion, const char* operation)
    {
        // A commit waits for the server like a statement; the driver's read time-out covers it.
        applyReadTimeout(*conn_, *timeout_);
        check(SQLEndTran(SQL_HANDLE_DBC, conn_->dbc.get(), completion), conn_->dbc, operation);
    }

    // The database the connection works in; empty when the driver has no catalogues.
    QString currentCatalog() const
    {
        SQLWCHAR buffer[256] = {};
        SQLINTEGER bytes = 0;
        const SQLRETURN rc = SQLGetConnectAttrW(conn_->dbc.get(), SQL_ATTR_CURRENT_CATALOG, buffer,
                                                SQLINTEGER(sizeof(buffer) - sizeof(SQLWCHAR)), &bytes);
        if (!succeeded(rc) || bytes <= 0)
            return QString();
        qsizetype units = 0;
        while (units < 255 && units < bytes / qsizetype(sizeof(SQLWCHAR)) && buffer[units] != 0)
            ++units;
        return fromWide(buffer, units);
    }

    std::shared_ptr<ConnectionHandle> conn_;
    QString name_;
    std::shared_ptr<int> timeout_;  // shared with the catalogue's tables
    std::vector<std::shared_ptr<OdbcTable>> tables_;
    bool tablesLoaded_ = false;
    QString dbmsName_;
    bool dbmsNameRead_ = false;
};

QString connectString(const QString& dataSourceName, const QString& user, const QString& password)
{
    QString connect = dataSourceName.contains(QLatin1Char('=')) ? dataSourceName
                                                                : QStringLiteral("DSN=") + connectValue(dataSourceName);
    // Empty user and password fall back to the data source's own.
    if (!user.isEmpty())
        connect += QStringLiteral(";UID=") + connectValue(user);
    if (!password.isEmpty())
        connect += QStringLiteral(";PWD=") + connectValue(password);
    return connect;
}

// The name the connection is shown and logged under.
QString connectionName(const Handle& dbc, const QString& dataSourceName)
{
    QString name = infoText(dbc, SQL_DATA_SOURCE_NAME);
    if (name.isEmpty()) {
        // A connection string without DSN: its text, but never a password in it (the name
        // is shown and logged).
        static const QRegularExpression passwordSetting(QStringLiteral("(^|;)\\s*(PWD|PASSWORD)\\s*=[^;]*"),
                                                        QRegularExpression::CaseInsensitiveOption);
        name = QString(dataSourceName).remove(passwordSetting);
    }
    return name;
}

}  // namespace

std::shared_ptr<sql::Connection> openConnection(std::shared_ptr<EnvironmentHandle> env, const QString& dataSourceName,
                                                const QString& user, const QString& password, int cursorDriver)
{
    auto conn = std::make_shared<ConnectionHandle>();
    conn->env = env;
    conn->dbc = allocate(SQL_HANDLE_DBC, env->env, "SQLAllocHandle(connection)");
    SQLSetConnectAttrW(conn->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(kLoginTimeout)),
                       0);
    // 1 = the driver manager's cursor library; every other choice uses the driver's cursors.
    const SQLULEN cursors = cursorDriver == 1 ? SQL_CUR_USE_ODBC : SQL_CUR_USE_DRIVER;
    SQLSetConnectAttrW(conn->dbc.get(), SQL_ATTR_ODBC_CURSORS, reinterpret_cast<SQLPOINTER>(cursors), 0);

    const QString connect = connectString(dataSourceName, user, password);
    conn->connectString = connect;
    const QString what = QStringLiteral("Die Anmeldung an der Datenquelle");
    if (dataSourceName.contains(QLatin1Char('='))) {
        driverConnect(*conn, connect, what);
    } else {
        StatementWatch watch(SQL_NULL_HSTMT, kLoginTimeout, nullptr, what);
        CatalogArgument userArgument(user), passwordArgument(password);
        check(SQLConnectW(conn->dbc.get(), wideIn(dataSourceName), SQLSMALLINT(dataSourceName.size()),
                          userArgument.pointer(), userArgument.length(), passwordArgument.pointer(),
                          passwordArgument.length()),
              conn->dbc, "SQLConnect");
        conn->connected = true;
    }
    if (infoText(conn->dbc, SQL_DRIVER_NAME).contains(QLatin1String("maodbc"), Qt::CaseInsensitive))
        conn->readTimeout = 0;
    QString name = connectionName(conn->dbc, dataSourceName);
    return std::make_shared<OdbcConnection>(std::move(conn), std::move(name));
}

}  // namespace odbc

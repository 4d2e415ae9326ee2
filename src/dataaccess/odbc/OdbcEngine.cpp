#include "OdbcEngine.h"

#include "OdbcHandles.h"
#include "OdbcStates.h"
#include "StatementWatchdog.h"
#include "runtime/RuntimeError.h"

#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSet>

#include <limits>
#include <vector>

namespace odbc {

namespace {
const QString kSource = QStringLiteral("ODBC");

// RuntimeError 40002 with a description made by us (no driver record to read).
[[noreturn]] void raiseOwn(const QString& state, const QString& message)
{
    throw rt::RuntimeError(rt::err::Odbc, kSource, failureDescription(state, message));
}
}  // namespace

Diagnostic firstDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle)
{
    Diagnostic d;
    if (handle == SQL_NULL_HANDLE)
        return d;
    SQLWCHAR state[6] = {};
    SQLSMALLINT length = 0;
    std::vector<SQLWCHAR> text(1024);
    SQLRETURN rc = SQLGetDiagRecW(handleType, handle, 1, state, &d.nativeError, text.data(),
                                  SQLSMALLINT(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
        // The message was longer than the buffer: ask again with room for all of it.
        text.resize(size_t(length) + 1);
        rc = SQLGetDiagRecW(handleType, handle, 1, state, &d.nativeError, text.data(),
                            SQLSMALLINT(text.size()), &length);
    }
    if (!succeeded(rc))
        return d;
    d.state = fromWide(state, 5);
    qsizetype units = 0;
    while (units < qsizetype(text.size()) && units < length && text[size_t(units)] != 0)
        ++units;
    d.message = fromWide(text.data(), units).trimmed();
    return d;
}

void raiseFailure(SQLSMALLINT handleType, SQLHANDLE handle, const char* operation)
{
    const Diagnostic d = firstDiagnostic(handleType, handle);
    if (d.state.isEmpty())
        raiseOwn(QStringLiteral("S1000"), QStringLiteral("%1 failed without a diagnostic record").arg(QLatin1String(operation)));
    raiseOwn(d.state, d.message);
}

namespace {

void check(SQLRETURN rc, const Handle& h, const char* operation)
{
    if (!succeeded(rc))
        raiseFailure(h.type(), h.get(), operation);
}

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

Handle allocate(SQLSMALLINT type, const Handle& parent, const char* what)
{
    SQLHANDLE h = SQL_NULL_HANDLE;
    const SQLRETURN rc = SQLAllocHandle(type, parent ? parent.get() : SQL_NULL_HANDLE, &h);
    if (!succeeded(rc)) {
        if (parent)
            raiseFailure(parent.type(), parent.get(), what);
        raiseOwn(QStringLiteral("S1001"), QStringLiteral("%1 failed").arg(QLatin1String(what)));
    }
    return Handle(type, h);
}

// The environment handle, shared by the environment object and every connection opened on it.
struct EnvironmentHandle {
    Handle env;
};

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
    const SQLRETURN rc = SQLDriverConnectW(conn.dbc.get(), nullptr, wideIn(connect), SQLSMALLINT(connect.size()),
                                           out, 1024, &outLength, SQL_DRIVER_NOPROMPT);
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
        raiseOwn(QStringLiteral("S1010"),
                 QStringLiteral("The time-out cannot change while a transaction is open"));
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

// Reads a character column in pieces; `null` tells SQL NULL apart from empty. The length of a
// piece is taken from its terminator, not from the reported length: for drivers without wide
// functions the driver manager reports the narrow byte count, which overstates texts with umlauts.
QString readText(const Handle& stmt, SQLUSMALLINT column, bool& null)
{
    QString result;
    null = false;
    std::vector<SQLWCHAR> buffer(2048);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_WCHAR, buffer.data(),
                                        SQLLEN(buffer.size() * sizeof(SQLWCHAR)), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, stmt, "SQLGetData");
        if (indicator == SQL_NULL_DATA) {
            null = true;
            return QString();
        }
        // The length is taken from the terminator alone: the MariaDB driver reports one unit
        // too few for each character that takes two bytes in UTF-8.
        const qsizetype limit = qsizetype(buffer.size()) - 1;
        qsizetype units = 0;
        while (units < limit && buffer[size_t(units)] != 0)
            ++units;
        result += fromWide(buffer.data(), units);
        // With a warning (01004, truncated) more may follow; the next call says SQL_NO_DATA if not.
        if (rc == SQL_SUCCESS)
            break;
    }
    return result;
}

QByteArray readBytes(const Handle& stmt, SQLUSMALLINT column, bool& null)
{
    QByteArray result;
    null = false;
    char buffer[8192];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_BINARY, buffer, sizeof(buffer), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, stmt, "SQLGetData");
        if (indicator == SQL_NULL_DATA) {
            null = true;
            return QByteArray();
        }
        qsizetype n = qsizetype(sizeof(buffer));
        if (indicator != SQL_NO_TOTAL && indicator < n)
            n = indicator;
        result.append(buffer, n);
        if (rc == SQL_SUCCESS)
            break;
    }
    return result;
}

QVariant integerValue(qlonglong v)
{
    if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
        return QVariant(int(v));
    return QVariant(v);
}

// Calls `row` with the statement on each row of its result.
template <class Row>
void forEachRow(const Handle& stmt, Row row)
{
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA)
            return;
        check(rc, stmt, "SQLFetch");
        row();
    }
}

// A fixed-size value of the column as C type `cType`; false for SQL NULL.
template <class T>
bool readFixed(const Handle& stmt, SQLUSMALLINT column, SQLSMALLINT cType, T& v)
{
    SQLLEN indicator = 0;
    check(SQLGetData(stmt.get(), column, cType, &v, sizeof(v), &indicator), stmt, "SQLGetData");
    return indicator != SQL_NULL_DATA;
}

// Column `column` (1-based) of the current row as a QVariant: numbers as numbers, SQL NULL as
// a null QVariant, binary as bytes, everything else as text.
QVariant readValue(const Handle& stmt, SQLUSMALLINT column)
{
    SQLSMALLINT type = SQL_UNKNOWN_TYPE, scale = 0, nullable = 0, nameLength = 0;
    SQLULEN size = 0;
    SQLWCHAR name[256];
    check(SQLDescribeColW(stmt.get(), column, name, 256, &nameLength, &type, &size, &scale, &nullable), stmt,
          "SQLDescribeCol");
    bool null = false;
    switch (type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: {
        SQLBIGINT v = 0;
        return readFixed(stmt, column, SQL_C_SBIGINT, v) ? integerValue(v) : QVariant();
    }
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        double v = 0;
        return readFixed(stmt, column, SQL_C_DOUBLE, v) ? QVariant(v) : QVariant();
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC: {
        // Read as text so that no digits are lost; whole numbers become integers.
        const QString text = readText(stmt, column, null).trimmed();
        if (null)
            return QVariant();
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return integerValue(whole);
        const double d = text.toDouble(&ok);
        return ok ? QVariant(d) : QVariant(text);
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: {
        const QByteArray bytes = readBytes(stmt, column, null);
        return null ? QVariant() : QVariant(bytes);
    }
    default: {
        const QString text = readText(stmt, column, null);
        return null ? QVariant() : QVariant(text);
    }
    }
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
    OdbcTable(std::shared_ptr<ConnectionHandle> conn, std::shared_ptr<int> timeout, QString catalog,
              QString schema, QString name)
        : conn_(std::move(conn)), timeout_(std::move(timeout)), catalog_(std::move(catalog)),
          schema_(std::move(schema)), name_(std::move(name))
    {
    }

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
    {
    }

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
            for (SQLRETURN more = SQLMoreResults(stmt.get()); more != SQL_NO_DATA;
                 more = SQLMoreResults(stmt.get())) {
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

// Environment names of one engine; a name is free again when its environment is gone.
struct NameRegistry {
    QMutex mutex;
    QSet<QString> names;
};

class OdbcEnvironment : public sql::Environment {
public:
    OdbcEnvironment(std::shared_ptr<NameRegistry> registry, QString key, QString user, QString password)
        : registry_(std::move(registry)), key_(std::move(key)), user_(std::move(user)),
          password_(std::move(password)), env_(std::make_shared<EnvironmentHandle>())
    {
        env_->env = allocate(SQL_HANDLE_ENV, Handle(), "SQLAllocHandle(environment)");
        // ODBC 2 states (S0002, S1000, S0021) are the ones the callers test.
        check(SQLSetEnvAttr(env_->env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0),
              env_->env, "SQLSetEnvAttr(ODBC version)");
    }
    ~OdbcEnvironment() override
    {
        QMutexLocker lock(&registry_->mutex);
        registry_->names.remove(key_);
    }

    void setUserName(const QString& user) override { user_ = user; }
    void setPassword(const QString& password) override { password_ = password; }
    void setCursorDriver(int driver) override { cursorDriver_ = driver; }

    std::shared_ptr<sql::Connection> openConnection(const QString& dataSourceName) override
    {
        auto conn = std::make_shared<ConnectionHandle>();
        conn->env = env_;
        conn->dbc = allocate(SQL_HANDLE_DBC, env_->env, "SQLAllocHandle(connection)");
        SQLSetConnectAttrW(conn->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(kLoginTimeout)),
                           0);
        // 1 = the driver manager's cursor library; every other choice uses the driver's cursors.
        const SQLULEN cursors = cursorDriver_ == 1 ? SQL_CUR_USE_ODBC : SQL_CUR_USE_DRIVER;
        SQLSetConnectAttrW(conn->dbc.get(), SQL_ATTR_ODBC_CURSORS, reinterpret_cast<SQLPOINTER>(cursors), 0);

        QString connect = dataSourceName.contains(QLatin1Char('='))
                              ? dataSourceName
                              : QStringLiteral("DSN=") + connectValue(dataSourceName);
        // Empty user and password fall back to the data source's own.
        if (!user_.isEmpty())
            connect += QStringLiteral(";UID=") + connectValue(user_);
        if (!password_.isEmpty())
            connect += QStringLiteral(";PWD=") + connectValue(password_);
        conn->connectString = connect;
        const QString what = QStringLiteral("Die Anmeldung an der Datenquelle");
        if (dataSourceName.contains(QLatin1Char('='))) {
            driverConnect(*conn, connect, what);
        } else {
            StatementWatch watch(SQL_NULL_HSTMT, kLoginTimeout, nullptr, what);
            CatalogArgument user(user_), password(password_);
            check(SQLConnectW(conn->dbc.get(), wideIn(dataSourceName), SQLSMALLINT(dataSourceName.size()),
                              user.pointer(), user.length(), password.pointer(), password.length()),
                  conn->dbc, "SQLConnect");
            conn->connected = true;
        }
        if (infoText(conn->dbc, SQL_DRIVER_NAME).contains(QLatin1String("maodbc"), Qt::CaseInsensitive))
            conn->readTimeout = 0;

        QString name = infoText(conn->dbc, SQL_DATA_SOURCE_NAME);
        if (name.isEmpty()) {
            // A connection string without DSN: its text, but never a password in it (the name
            // is shown and logged).
            static const QRegularExpression password(QStringLiteral("(^|;)\\s*(PWD|PASSWORD)\\s*=[^;]*"),
                                                     QRegularExpression::CaseInsensitiveOption);
            name = QString(dataSourceName).remove(password);
        }
        return std::make_shared<OdbcConnection>(std::move(conn), name);
    }

private:
    std::shared_ptr<NameRegistry> registry_;
    QString key_;
    QString user_;
    QString password_;
    int cursorDriver_ = 0;
    std::shared_ptr<EnvironmentHandle> env_;
};

class OdbcEngineImpl : public sql::Engine {
public:
    std::shared_ptr<sql::Environment> createEnvironment(const QString& name, const QString& user,
                                                        const QString& password) override
    {
        const QString key = name.toLower();
        {
            QMutexLocker lock(&registry_->mutex);
            if (registry_->names.contains(key))
                raiseOwn(QStringLiteral("S1000"), QStringLiteral("An environment named %1 already exists").arg(name));
            registry_->names.insert(key);
        }
        try {
            return std::make_shared<OdbcEnvironment>(registry_, key, user, password);
        } catch (...) {
            QMutexLocker lock(&registry_->mutex);
            registry_->names.remove(key);
            throw;
        }
    }

private:
    std::shared_ptr<NameRegistry> registry_ = std::make_shared<NameRegistry>();
};

}  // namespace
}  // namespace odbc

namespace sql {
std::unique_ptr<Engine> createOdbcEngine()
{
    return std::make_unique<odbc::OdbcEngineImpl>();
}

void setStatementHangHandler(std::function<void(const QString&)> handler)
{
    odbc::setHangHandler(std::move(handler));
}
}  // namespace sql

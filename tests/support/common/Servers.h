#pragma once
#include "Fixtures.h"
#include "dataaccess/SqlConnection.h"

#include <QString>
#include <QVariant>
#include <memory>

// The test servers of scripts/servers: data source names, availability, private databases and
// one-line helpers for assertions. Every helper connects through the real ODBC layer.
namespace testsupport {

// Points the driver manager at the files scripts/servers wrote when ODBCINI is not set
// (looks in $DORVEX_BUILD_DIR, this test build and the default build tree). Called by every
// helper below; call it yourself before using sql::createOdbcEngine() directly.
void useServerOdbcFiles();

QString sqliteDsn();         // DORVEX_SQLITE
QString mariadbDsn();        // DORVEX_MARIADB
QString mariadbAnsiDsn();    // DORVEX_MARIADB_ANSI: ANSI_QUOTES on every connection
QString mariadbEngsubDsn();  // DORVEX_MARIADB_ENGSUB: database dorvex_engsub, engine substitution allowed
QString mariadbDownDsn();    // DORVEX_MARIADB_DOWN: a socket where nothing listens
// The socket of the private MariaDB: $DORVEX_MARIADB_SOCKET, else the Socket line of the
// DORVEX_MARIADB data source in the ODBC files scripts/servers wrote.
QString mariadbSocket();
QString dbUser();
QString dbPassword();

bool sqliteAvailable();   // the SQLite DSN opens
bool mariadbAvailable();  // the MariaDB DSN opens (checked once per process)

// A connection through the ODBC engine; user and password empty = the DSN's own.
std::shared_ptr<sql::Connection> connectOdbc(const QString& dsn, const QString& user = QString(),
                                             const QString& password = QString());
// On a fresh connection: run one statement / read the first value of a query / count a table's rows.
void runSql(const QString& dsn, const QString& statement);
QVariant sqlValue(const QString& dsn, const QString& query);
// The first value of a query on a connection the test already holds.
QVariant firstValue(sql::Connection& connection, const QString& query);
int countRows(const QString& dsn, const QString& table);

// Stops the private MariaDB (SIGSTOP to the PID scripts/servers recorded) for as long as the
// object lives, so it accepts connections but never answers; resumes it (SIGCONT) however the
// test ends. ok() is false when the PID is unknown.
class FrozenMariadb {
public:
    FrozenMariadb();
    ~FrozenMariadb();
    FrozenMariadb(const FrozenMariadb&) = delete;
    FrozenMariadb& operator=(const FrozenMariadb&) = delete;
    bool ok() const { return pid_ > 0; }

private:
    qint64 pid_ = 0;
};

// A name no other test process uses at the same time: prefix + "_" + pid + "_" + counter.
QString uniqueName(const QString& prefix);

// A private, empty database for one test, dropped when the object goes. dsn() is what
// Environment::openConnection takes (an ODBC connection string).
class ScratchDatabase {
public:
    enum class Kind { Sqlite, Mariadb, MariadbAnsi };
    explicit ScratchDatabase(Kind kind);
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const QString& dsn() const { return dsn_; }
    const QString& databaseName() const { return name_; }  // MariaDB database or SQLite file

private:
    Kind kind_;
    QString name_;
    QString dsn_;
};

}  // namespace testsupport

// Skips the test when the server is missing; fails instead when CI is set.
#define REQUIRE_SQLITE()                                                                                               \
    if (!testsupport::sqliteAvailable()) {                                                                             \
        if (testsupport::runningInCi())                                                                                \
            FAIL() << "SQLite DSN not available (run scripts/servers start)";                                          \
        GTEST_SKIP() << "SQLite DSN not available (run scripts/servers start)";                                        \
    }
#define REQUIRE_MARIADB()                                                                                              \
    if (!testsupport::mariadbAvailable()) {                                                                            \
        if (testsupport::runningInCi())                                                                                \
            FAIL() << "MariaDB not available (run scripts/servers start)";                                             \
        GTEST_SKIP() << "MariaDB not available (run scripts/servers start)";                                           \
    }
// The one of the two above that a scratch database of this kind needs.
#define REQUIRE_SERVER_FOR(scratchKind)                                                                                \
    if ((scratchKind) == testsupport::ScratchDatabase::Kind::Sqlite) {                                                 \
        REQUIRE_SQLITE();                                                                                              \
    } else {                                                                                                           \
        REQUIRE_MARIADB();                                                                                             \
    }

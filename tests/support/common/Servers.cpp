#include "Servers.h"

#include "dataaccess/odbc/OdbcEngine.h"
#include "runtime/RuntimeError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

namespace testsupport {

namespace {
QString envOr(const char* name, const char* fallback)
{
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromLatin1(fallback) : v;
}

sql::Engine& engine()
{
    static std::unique_ptr<sql::Engine> e = sql::createOdbcEngine();
    return *e;
}

std::shared_ptr<sql::Environment> newEnvironment()
{
    static int counter = 0;
    return engine().createEnvironment(QStringLiteral("testsupport%1").arg(++counter), QString(), QString());
}
}  // namespace

void useServerOdbcFiles()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (qEnvironmentVariableIsSet("ODBCINI"))
        return;
    QStringList folders;
    const QString buildDir = qEnvironmentVariable("DORVEX_BUILD_DIR");
    if (!buildDir.isEmpty())
        folders << (QDir::isAbsolutePath(buildDir) ? buildDir : QStringLiteral(DORVEX_SOURCE_DIR "/") + buildDir);
    folders << QStringLiteral(DORVEX_BINARY_DIR) << QStringLiteral(DORVEX_SOURCE_DIR "/build");
    for (const QString& f : folders) {
        const QString odbc = QDir(f).filePath(QStringLiteral("servers/odbc"));
        if (QFileInfo::exists(odbc + QStringLiteral("/odbc.ini"))) {
            qputenv("ODBCSYSINI", QFile::encodeName(odbc));
            qputenv("ODBCINI", QFile::encodeName(odbc + QStringLiteral("/odbc.ini")));
            qunsetenv("ODBCINSTINI");
            return;
        }
    }
}

QString sqliteDsn() { return envOr("DORVEX_SQLITE_DSN", "DORVEX_SQLITE"); }
QString mariadbDsn() { return envOr("DORVEX_MARIADB_DSN", "DORVEX_MARIADB"); }
QString mariadbAnsiDsn() { return envOr("DORVEX_MARIADB_ANSI_DSN", "DORVEX_MARIADB_ANSI"); }
QString mariadbEngsubDsn() { return envOr("DORVEX_MARIADB_ENGSUB_DSN", "DORVEX_MARIADB_ENGSUB"); }
QString mariadbDownDsn() { return envOr("DORVEX_MARIADB_DOWN_DSN", "DORVEX_MARIADB_DOWN"); }
QString mariadbSocket()
{
    if (qEnvironmentVariableIsSet("DORVEX_MARIADB_SOCKET"))
        return qEnvironmentVariable("DORVEX_MARIADB_SOCKET");
    useServerOdbcFiles();
    QFile ini(qEnvironmentVariable("ODBCINI"));
    if (!ini.open(QIODevice::ReadOnly))
        return QString();
    bool inSection = false;
    for (const QByteArray& raw : ini.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'['))
            inSection = line == QLatin1Char('[') + mariadbDsn() + QLatin1Char(']');
        else if (inSection && line.startsWith(QLatin1String("Socket")))
            return line.section(u'=', 1).trimmed();
    }
    return QString();
}

QString dbUser() { return envOr("DORVEX_DB_USER", "dorvex"); }
QString dbPassword() { return envOr("DORVEX_DB_PASSWORD", "dorvex"); }

namespace {
bool opens(const QString& dsn)
{
    try {
        connectOdbc(dsn);
        return true;
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "%s does not open: %s\n", qPrintable(dsn), e.what());
        return false;
    }
}
}  // namespace

bool sqliteAvailable()
{
    static std::optional<bool> available;
    if (!available)
        available = opens(sqliteDsn());
    return *available;
}

bool mariadbAvailable()
{
    static std::optional<bool> available;
    if (!available)
        available = opens(mariadbDsn());
    return *available;
}

std::shared_ptr<sql::Connection> connectOdbc(const QString& dsn, const QString& user, const QString& password)
{
    useServerOdbcFiles();
    auto env = newEnvironment();
    env->setUserName(user);
    env->setPassword(password);
    return env->openConnection(dsn);
}

void runSql(const QString& dsn, const QString& statement) { connectOdbc(dsn)->execute(statement, sql::kExecDirect); }

QVariant firstValue(sql::Connection& connection, const QString& query)
{
    auto rs = connection.openResultset(query, sql::kForwardOnly, sql::kReadOnly, sql::kExecDirect);
    QVariant v = rs->value(0);
    rs->close();
    return v;
}

QVariant sqlValue(const QString& dsn, const QString& query) { return firstValue(*connectOdbc(dsn), query); }

int countRows(const QString& dsn, const QString& table)
{
    return sqlValue(dsn, QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
}

namespace {
// The PID scripts/servers recorded: from its env output, else beside the ODBC files it wrote.
qint64 mariadbPid()
{
    QString file = qEnvironmentVariable("DORVEX_MARIADB_PID_FILE");
    if (file.isEmpty()) {
        useServerOdbcFiles();
        file = QDir(qEnvironmentVariable("ODBCSYSINI")).filePath(QStringLiteral("../run/mariadb.pid"));
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 pid = f.readAll().trimmed().toLongLong(&ok);
    return ok ? pid : 0;
}
}  // namespace

FrozenMariadb::FrozenMariadb() : pid_(mariadbPid())
{
    if (pid_ > 0 && ::kill(pid_t(pid_), SIGSTOP) != 0)
        pid_ = 0;
}

FrozenMariadb::~FrozenMariadb()
{
    if (pid_ > 0)
        ::kill(pid_t(pid_), SIGCONT);
}

QString uniqueName(const QString& prefix)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1_%2_%3").arg(prefix).arg(qint64(::getpid())).arg(++counter);
}

ScratchDatabase::ScratchDatabase(Kind kind) : kind_(kind)
{
    useServerOdbcFiles();
    switch (kind_) {
    case Kind::Sqlite:
        name_ = QDir(tempFolder()).filePath(uniqueName(QStringLiteral("scratch")) + QStringLiteral(".db"));
        // The driver named in the private odbcinst.ini; the same pragmas as the shared DSN.
        dsn_ = QStringLiteral("DRIVER=DORVEX_SQLITE3;Database=%1;JournalMode=WAL;SyncPragma=NORMAL;Timeout=10000")
                   .arg(name_);
        break;
    case Kind::Mariadb:
    case Kind::MariadbAnsi: {
        name_ = uniqueName(QStringLiteral("scratch"));
        auto c = connectOdbc(mariadbDsn());
        c->execute(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name_), sql::kExecDirect);
        c->execute(QStringLiteral("CREATE DATABASE `%1` CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci").arg(name_),
                   sql::kExecDirect);
        dsn_ = QStringLiteral("DSN=%1;DATABASE=%2")
                   .arg(kind_ == Kind::MariadbAnsi ? mariadbAnsiDsn() : mariadbDsn(), name_);
        break;
    }
    }
}

ScratchDatabase::~ScratchDatabase()
{
    switch (kind_) {
    case Kind::Sqlite:
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(name_ + QLatin1String(suffix));
        break;
    case Kind::Mariadb:
    case Kind::MariadbAnsi: try { runSql(mariadbDsn(), QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(name_));
        } catch (const rt::RuntimeError& e) {
            std::fprintf(stderr, "could not drop scratch database %s: %s\n", qPrintable(name_), e.what());
        }
        break;
    }
}

}  // namespace testsupport

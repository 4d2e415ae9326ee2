// The SQL connection layer against the real drivers: SQLite and MariaDB through unixODBC.
#include "common/Servers.h"

#include "dataaccess/odbc/OdbcEngine.h"
#include "runtime/RuntimeError.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <functional>

using testsupport::ScratchDatabase;

namespace {

// The failure raised by `f`; fails the test when nothing is raised.
rt::RuntimeError failureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const rt::RuntimeError& e) {
        return e;
    }
    ADD_FAILURE() << "expected a RuntimeError";
    return rt::RuntimeError(0, QString(), QString());
}

std::string text(const rt::RuntimeError& e)
{
    return e.description().toStdString();
}

// ---------------------------------------------------------------------------------------------
// Behaviour every driver must show the same way.

enum class Server { Sqlite, Mariadb };

class OdbcOnEveryServer : public ::testing::TestWithParam<Server> {
protected:
    void SetUp() override
    {
        if (GetParam() == Server::Sqlite) {
            REQUIRE_SQLITE();
            db_ = std::make_unique<ScratchDatabase>(ScratchDatabase::Kind::Sqlite);
        } else {
            REQUIRE_MARIADB();
            db_ = std::make_unique<ScratchDatabase>(ScratchDatabase::Kind::Mariadb);
        }
        engine_ = sql::createOdbcEngine();
        env_ = engine_->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
        conn_ = env_->openConnection(db_->dsn());
        conn_->setQueryTimeout(120);
    }

    void exec(const QString& statement) { conn_->execute(statement, sql::kExecDirect); }
    QVariant value(const QString& query, int column = 0)
    {
        auto rs = conn_->openResultset(query, sql::kStatic, sql::kReadOnly, sql::kExecDirect);
        QVariant v = rs->value(column);
        rs->close();
        return v;
    }

    std::unique_ptr<ScratchDatabase> db_;
    std::unique_ptr<sql::Engine> engine_;
    std::shared_ptr<sql::Environment> env_;
    std::shared_ptr<sql::Connection> conn_;
};

TEST_P(OdbcOnEveryServer, StandardStatesWhateverTheDriverReports)
{
    exec(QStringLiteral("CREATE TABLE Adressen (Ort VARCHAR(30))"));
    const struct {
        const char* statement;
        const char* state;
    } cases[] = {
        {"SELECT COUNT(*) FROM Kunden", "S0002: "},
        {"DROP TABLE Kunden", "S0002: "},
        {"INSERT INTO Kunden (a) VALUES (1)", "S0002: "},
        {"ALTER TABLE Adressen ADD Ort VARCHAR(30)", "S0021: "},
    };
    for (const auto& c : cases) {
        const QString statement = QString::fromUtf8(c.statement);
        const auto e = failureOf([&] {
            if (statement.startsWith(QLatin1String("SELECT")))
                value(statement);
            else
                exec(statement);
        });
        EXPECT_EQ(e.number(), 40002) << c.statement;
        EXPECT_TRUE(e.description().startsWith(QLatin1String(c.state))) << text(e);
        if (statement.contains(QLatin1String("Kunden"))) {
            EXPECT_TRUE(e.description().contains(QLatin1String("Kunden"))) << "the server's message is kept: " << text(e);
        }
    }
}

TEST_P(OdbcOnEveryServer, ValuesComeBackAsStored)
{
    exec(QStringLiteral("CREATE TABLE Artikel (Nr INTEGER, Bezeichnung VARCHAR(25), Preis DOUBLE PRECISION, Notiz TEXT)"));
    QString memo;
    for (int i = 0; memo.size() < 10000; ++i)
        memo += QStringLiteral("Zeile %1: Äpfel, Öl und Übermaß; ").arg(i);
    exec(QStringLiteral("INSERT INTO Artikel (Nr, Bezeichnung, Preis, Notiz) VALUES (1, 'Schraube', 0.25, '%1')").arg(memo));
    exec(QStringLiteral("INSERT INTO Artikel (Nr, Bezeichnung, Preis) VALUES (2, 'Müller', NULL)"));
    // A text that fills its VARCHAR: the driver's length must not cut its last character.
    exec(QStringLiteral("INSERT INTO Artikel (Nr, Bezeichnung, Preis) VALUES (3, 'Gummidichtung Ø 20 (10er)', 7)"));
    exec(QStringLiteral("INSERT INTO Artikel (Nr, Bezeichnung, Preis) VALUES (4, '', 7)"));
    exec(QStringLiteral("UPDATE Artikel SET Preis = 1.5 WHERE Nr = 2"));
    exec(QStringLiteral("DELETE FROM Artikel WHERE Nr = 99"));   // changing nothing is no failure

    const QVariant count = value(QStringLiteral("SELECT COUNT(*) FROM Artikel"));
    bool ok = false;
    EXPECT_EQ(count.toInt(&ok), 4);
    EXPECT_TRUE(ok) << "a count comes back as a number";
    EXPECT_DOUBLE_EQ(value(QStringLiteral("SELECT Preis FROM Artikel WHERE Nr = 2")).toDouble(), 1.5);
    EXPECT_EQ(value(QStringLiteral("SELECT Nr, Bezeichnung FROM Artikel WHERE Nr = 2"), 1).toString(), QStringLiteral("Müller"));
    EXPECT_EQ(value(QStringLiteral("SELECT Bezeichnung FROM Artikel WHERE Nr = 3")).toString(), QStringLiteral("Gummidichtung Ø 20 (10er)"));
    EXPECT_EQ(value(QStringLiteral("SELECT Notiz FROM Artikel WHERE Nr = 1")).toString(), memo);
    // Stored as six characters and found by the literal: not garbled on the way in and back out.
    const QString length = GetParam() == Server::Sqlite ? QStringLiteral("LENGTH") : QStringLiteral("CHAR_LENGTH");
    EXPECT_EQ(value(QStringLiteral("SELECT %1(Bezeichnung) FROM Artikel WHERE Nr = 2").arg(length)).toInt(), 6);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Artikel WHERE Bezeichnung = 'Müller'")).toInt(), 1);
    // NULL and the empty text stay apart.
    EXPECT_TRUE(value(QStringLiteral("SELECT Notiz FROM Artikel WHERE Nr = 2")).isNull());
    const QVariant empty = value(QStringLiteral("SELECT Bezeichnung FROM Artikel WHERE Nr = 4"));
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(empty.toString(), QString());
}

TEST_P(OdbcOnEveryServer, ResultWithoutRowOrColumnRaisesInsteadOfInventingAValue)
{
    exec(QStringLiteral("CREATE TABLE Leer (a INTEGER)"));
    auto rs = conn_->openResultset(QStringLiteral("SELECT a FROM Leer"), sql::kForwardOnly, sql::kReadOnly, sql::kExecDirect);
    EXPECT_EQ(failureOf([&] { rs->value(0); }).number(), 40002);
    auto one = conn_->openResultset(QStringLiteral("SELECT 1"), sql::kForwardOnly, sql::kReadOnly, sql::kExecDirect);
    EXPECT_EQ(failureOf([&] { one->value(3); }).number(), 40002);
    EXPECT_EQ(failureOf([&] { one->value(-1); }).number(), 40002);
    // An open result set does not block the next statement on the connection.
    exec(QStringLiteral("INSERT INTO Leer (a) VALUES (1)"));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Leer")).toInt(), 1);
}

TEST_P(OdbcOnEveryServer, CatalogueFindsTablesAndListsTheirColumnsInOrder)
{
    exec(QStringLiteral("CREATE TABLE Auftrag_Pos (PosNr INTEGER, Menge INTEGER, Bemerkung VARCHAR(20))"));
    // "_" is a wildcard in catalogue calls: a table matching the pattern must not lend its columns.
    exec(QStringLiteral("CREATE TABLE AuftragXPos (Fremd INTEGER)"));
    exec(QStringLiteral("CREATE VIEW Auftrag_Sicht AS SELECT PosNr FROM Auftrag_Pos"));
    conn_->refreshTables();

    auto t = conn_->table(QStringLiteral("Auftrag_Pos"));
    EXPECT_EQ(t->name(), QStringLiteral("Auftrag_Pos"));
    t->refreshColumns();
    EXPECT_EQ(t->columnNames(), (QStringList{"PosNr", "Menge", "Bemerkung"}));

    // Lookup ignores case and gives the name as the catalogue has it.
    EXPECT_EQ(conn_->table(QStringLiteral("AUFTRAG_POS"))->name(), QStringLiteral("Auftrag_Pos"));
    EXPECT_NO_THROW(conn_->table(QStringLiteral("Auftrag_Sicht")));

    const auto miss = failureOf([&] { conn_->table(QStringLiteral("Rechnung")); });
    EXPECT_EQ(miss.number(), 40002);
    EXPECT_TRUE(miss.description().startsWith(QLatin1String("S0002:"))) << text(miss);

    // A column added later appears after the table's columns are refreshed.
    exec(QStringLiteral("ALTER TABLE Auftrag_Pos ADD Preis INTEGER"));
    t->refreshColumns();
    EXPECT_EQ(t->columnNames().value(3), QStringLiteral("Preis"));

    // A table created later is found after the catalogue is refreshed.
    exec(QStringLiteral("CREATE TABLE Rechnung (Nr INTEGER)"));
    conn_->refreshTables();
    EXPECT_EQ(conn_->table(QStringLiteral("rechnung"))->name(), QStringLiteral("Rechnung"));
}

INSTANTIATE_TEST_SUITE_P(Servers, OdbcOnEveryServer, ::testing::Values(Server::Sqlite, Server::Mariadb),
                         [](const auto& info) { return info.param == Server::Sqlite ? "Sqlite" : "Mariadb"; });

// ---------------------------------------------------------------------------------------------
// Opening connections.

TEST(OdbcLogin, SqliteOpensWithItsDataSourceName)
{
    REQUIRE_SQLITE();
    auto engine = sql::createOdbcEngine();
    auto env = engine->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
    auto c = env->openConnection(testsupport::sqliteDsn());
    EXPECT_EQ(c->name(), testsupport::sqliteDsn());
    EXPECT_TRUE(c->versionText().contains(QLatin1String("SQLite"))) << c->versionText().toStdString();
    EXPECT_EQ(c->openResultset(QStringLiteral("SELECT 1"), 0, 1, 64)->value(0).toInt(), 1);

    // A connection string stands for itself as the name, without the password it carries.
    ScratchDatabase db(ScratchDatabase::Kind::Sqlite);
    c = env->openConnection(db.dsn() + QStringLiteral(";PWD=geheim"));
    EXPECT_TRUE(c->name().contains(db.databaseName())) << c->name().toStdString();
    EXPECT_FALSE(c->name().contains(QLatin1String("geheim"))) << c->name().toStdString();
}

TEST(OdbcLogin, ConnectionLostDuringTheRunRaisesOnTheNextStatement)
{
    REQUIRE_MARIADB();
    auto victim = testsupport::connectOdbc(testsupport::mariadbDsn());
    const QString id = victim->openResultset(QStringLiteral("SELECT CONNECTION_ID()"), 0, 1, 64)->value(0).toString();
    testsupport::runSql(testsupport::mariadbDsn(), QStringLiteral("KILL CONNECTION %1").arg(id));
    const auto e = failureOf([&] { victim->execute(QStringLiteral("SELECT 1"), sql::kExecDirect); });
    EXPECT_EQ(e.number(), 40002);
    EXPECT_FALSE(e.description().startsWith(QLatin1String("S0002"))) << text(e);
    // The catalogue and result sets fail the same way instead of crashing.
    EXPECT_THROW(victim->refreshTables(), rt::RuntimeError);
    EXPECT_THROW(victim->openResultset(QStringLiteral("SELECT 1"), 0, 1, 64), rt::RuntimeError);
}

// A statement still running after the query time-out fails with S1T00, whatever the driver does
// with the time-out itself: SQLite's is cancelled by the watchdog, MariaDB's (frozen with
// SIGSTOP, so it never answers) ends through the driver's read time-out.
TEST(OdbcTimeout, EndlessOrFrozenStatementsFailAfterTheTimeout)
{
    REQUIRE_SQLITE();
    REQUIRE_MARIADB();
    constexpr int kSeconds = 3;
    ScratchDatabase sqlite(ScratchDatabase::Kind::Sqlite);
    auto lite = testsupport::connectOdbc(sqlite.dsn());
    // A connection that lost its server stays lost: one for each MariaDB case.
    auto maria = testsupport::connectOdbc(testsupport::mariadbDsn());
    auto maria2 = testsupport::connectOdbc(testsupport::mariadbDsn());
    for (const auto& c : {lite, maria, maria2}) {
        c->setQueryTimeout(kSeconds);
        c->execute(QStringLiteral("SELECT 1"), sql::kExecDirect);   // opened with the time-out before the freeze
    }
    const QString endless = QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                                           "SELECT COUNT(*) FROM c");
    testsupport::FrozenMariadb frozen;
    ASSERT_TRUE(frozen.ok()) << "PID of the private MariaDB unknown";
    const struct {
        const char* name;
        std::function<void()> call;
    } cases[] = {
        {"SQLite endless query", [&] { lite->openResultset(endless, 0, 1, 64); }},
        {"MariaDB frozen execute", [&] { maria->execute(QStringLiteral("SELECT 2"), sql::kExecDirect); }},
        {"MariaDB frozen result set", [&] { maria2->openResultset(QStringLiteral("SELECT 3"), 0, 1, 64); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer timer;
        timer.start();
        const auto e = failureOf(c.call);
        EXPECT_EQ(e.number(), 40002);
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("S1T00: Zeitüberschreitung"))) << text(e);
        EXPECT_GE(timer.elapsed(), kSeconds * 1000 - 200);
        EXPECT_LT(timer.elapsed(), kSeconds * 1000 + 3000);
        std::printf("%s: failed after %lld ms\n", c.name, qint64(timer.elapsed()));
    }
    // A login on the frozen server ends with the login time-out instead of waiting for ever.
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(failureOf([&] { testsupport::connectOdbc(testsupport::mariadbDsn()); }).number(), 40002);
    EXPECT_LT(timer.elapsed(), 20000);
    std::printf("login on the frozen server: failed after %lld ms\n", qint64(timer.elapsed()));
}

}  // namespace

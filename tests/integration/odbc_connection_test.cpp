// The SQL connection layer against the real drivers: SQLite and MariaDB through unixODBC.
#include "common/Servers.h"

#include "runtime/RuntimeError.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <functional>

using testsupport::ScratchDatabase;
using Kind = ScratchDatabase::Kind;

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

std::string text(const rt::RuntimeError& e) { return e.description().toStdString(); }

// ---------------------------------------------------------------------------------------------
// Behaviour every driver must show the same way.

class OdbcOnEveryServer : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        REQUIRE_SERVER_FOR(GetParam());
        db_ = std::make_unique<ScratchDatabase>(GetParam());
        conn_ = testsupport::connectOdbc(db_->dsn());
        conn_->setQueryTimeout(120);
    }

    void exec(const QString& statement) { conn_->execute(statement, sql::kExecDirect); }
    QVariant value(const QString& query) { return testsupport::firstValue(*conn_, query); }
    std::unique_ptr<sql::ResultSet> open(const QString& query)
    {
        return conn_->openResultset(query, sql::kForwardOnly, sql::kReadOnly, sql::kExecDirect);
    }

    std::unique_ptr<ScratchDatabase> db_;
    std::shared_ptr<sql::Connection> conn_;
};

// Driver failures carry the standard state whatever the driver reports them under, and keep the
// server's own message.
TEST_P(OdbcOnEveryServer, FailuresCarryTheStandardState)
{
    exec(QStringLiteral("CREATE TABLE Adressen (Ort VARCHAR(30))"));
    const struct {
        const char* state;
        const char* mentions;
        std::function<void()> call;
    } cases[] = {
        {"S0002: ", "Kunden", [&] { value(QStringLiteral("SELECT COUNT(*) FROM Kunden")); }},
        {"S0002: ", "Kunden", [&] { exec(QStringLiteral("DROP TABLE Kunden")); }},
        {"S0002:", "", [&] { conn_->table(QStringLiteral("Kunden")); }},
        {"S0021: ", "", [&] { exec(QStringLiteral("ALTER TABLE Adressen ADD Ort VARCHAR(30)")); }},
    };
    for (const auto& c : cases) {
        const auto e = failureOf(c.call);
        EXPECT_EQ(e.number(), 40002) << text(e);
        EXPECT_TRUE(e.description().startsWith(QLatin1String(c.state))) << text(e);
        EXPECT_TRUE(e.description().contains(QLatin1String(c.mentions))) << "the server's message is kept: " << text(e);
    }
}

TEST_P(OdbcOnEveryServer, StatementsRunAndValuesComeBackTypedAndWhole)
{
    exec(QStringLiteral("CREATE TABLE Artikel (Nr INTEGER, Name VARCHAR(25), Preis DOUBLE PRECISION, Notiz TEXT)"));
    QString memo;
    for (int i = 0; memo.size() < 10000; ++i)
        memo += QStringLiteral("Zeile %1: Äpfel, Öl und Übermaß; ").arg(i);
    // The name fills its VARCHAR: the driver's length must not cut its last character.
    exec(QStringLiteral("INSERT INTO Artikel VALUES (1, 'Gummidichtung Ø 20 (10er)', 0.25, '%1')").arg(memo));
    exec(QStringLiteral("INSERT INTO Artikel (Nr, Name, Preis) VALUES (2, 'Müller', NULL)"));
    exec(QStringLiteral("INSERT INTO Artikel (Nr, Name, Preis) VALUES (3, '', 7)"));
    exec(QStringLiteral("INSERT INTO Artikel (Nr) VALUES (4)"));
    exec(QStringLiteral("UPDATE Artikel SET Preis = 1.5 WHERE Nr = 2"));
    exec(QStringLiteral("DELETE FROM Artikel WHERE Nr = 4"));
    // A statement that changes nothing is no failure.
    exec(QStringLiteral("DELETE FROM Artikel WHERE Nr = 99"));

    const QVariant count = value(QStringLiteral("SELECT COUNT(*) FROM Artikel"));
    bool ok = false;
    EXPECT_EQ(count.toInt(&ok), 3);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(value(QStringLiteral("SELECT Preis FROM Artikel WHERE Nr = 2")).toDouble(), 1.5);
    // NULL and the empty text stay apart.
    EXPECT_TRUE(value(QStringLiteral("SELECT NULL")).isNull());
    const QVariant empty = value(QStringLiteral("SELECT Name FROM Artikel WHERE Nr = 3"));
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(empty.toString(), QString());
    auto first = open(QStringLiteral("SELECT Nr, Name, Notiz FROM Artikel WHERE Nr = 1"));
    EXPECT_EQ(first->value(1).toString(), QStringLiteral("Gummidichtung Ø 20 (10er)"));
    EXPECT_EQ(first->value(2).toString(), memo);
    // Stored as six characters and found by the literal: not garbled on the way in and back out.
    const QString length = GetParam() == Kind::Sqlite ? "LENGTH" : "CHAR_LENGTH";
    EXPECT_EQ(value(QStringLiteral("SELECT %1(Name) FROM Artikel WHERE Name = 'Müller'").arg(length)).toInt(), 6);

    // A result without that row or column raises instead of inventing a value.
    auto none = open(QStringLiteral("SELECT Nr FROM Artikel WHERE Nr = 99"));
    EXPECT_EQ(failureOf([&] { none->value(0); }).number(), 40002);
    for (int column : {3, -1})
        EXPECT_EQ(failureOf([&] { first->value(column); }).number(), 40002) << column;
    // An open result set does not block the next statement on the connection.
    exec(QStringLiteral("INSERT INTO Artikel (Nr) VALUES (5)"));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Artikel")).toInt(), 4);
}

TEST_P(OdbcOnEveryServer, CatalogueFindsTablesAndListsTheirColumnsInOrder)
{
    exec(QStringLiteral("CREATE TABLE Auftrag_Pos (PosNr INTEGER, Menge INTEGER, Bemerkung VARCHAR(20))"));
    // "_" is a wildcard in catalogue calls: a table matching the pattern must not lend its columns.
    exec(QStringLiteral("CREATE TABLE AuftragXPos (Fremd INTEGER)"));
    exec(QStringLiteral("CREATE VIEW Auftrag_Sicht AS SELECT PosNr FROM Auftrag_Pos"));

    auto t = conn_->table(QStringLiteral("Auftrag_Pos"));  // the first lookup reads the catalogue itself
    t->refreshColumns();
    EXPECT_EQ(t->columnNames(), (QStringList{"PosNr", "Menge", "Bemerkung"}));
    // Lookup ignores case and gives the name as the catalogue has it.
    EXPECT_EQ(conn_->table(QStringLiteral("AUFTRAG_POS"))->name(), QStringLiteral("Auftrag_Pos"));
    EXPECT_NO_THROW(conn_->table(QStringLiteral("Auftrag_Sicht")));

    // A column added later appears after the table's columns are refreshed; a table created later
    // after the catalogue is.
    exec(QStringLiteral("ALTER TABLE Auftrag_Pos ADD Preis INTEGER"));
    t->refreshColumns();
    EXPECT_EQ(t->columnNames().value(3), QStringLiteral("Preis"));
    exec(QStringLiteral("CREATE TABLE Rechnung (Nr INTEGER)"));
    conn_->refreshTables();
    EXPECT_EQ(conn_->table(QStringLiteral("rechnung"))->name(), QStringLiteral("Rechnung"));
}

INSTANTIATE_TEST_SUITE_P(Servers, OdbcOnEveryServer, ::testing::Values(Kind::Sqlite, Kind::Mariadb),
                         [](const auto& i) { return i.param == Kind::Sqlite ? "Sqlite" : "Mariadb"; });

// ---------------------------------------------------------------------------------------------
// Opening connections.

// A connection string stands for itself as the name, without the password it carries.
TEST(OdbcLogin, AConnectionStringIsNamedWithoutItsPassword)
{
    REQUIRE_SQLITE();
    ScratchDatabase db(Kind::Sqlite);
    auto c = testsupport::connectOdbc(db.dsn() + QStringLiteral(";PWD=geheim"));
    EXPECT_TRUE(c->versionText().contains(QLatin1String("SQLite"))) << c->versionText().toStdString();
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
    ScratchDatabase sqlite(Kind::Sqlite);
    auto lite = testsupport::connectOdbc(sqlite.dsn());
    // A connection that lost its server stays lost: one for each MariaDB case.
    auto maria = testsupport::connectOdbc(testsupport::mariadbDsn());
    auto maria2 = testsupport::connectOdbc(testsupport::mariadbDsn());
    for (const auto& c : {lite, maria, maria2}) {
        c->setQueryTimeout(kSeconds);
        c->execute(QStringLiteral("SELECT 1"), sql::kExecDirect);  // opened with the time-out before the freeze
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
    }
    // A login on the frozen server ends with the login time-out instead of waiting for ever.
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(failureOf([&] { testsupport::connectOdbc(testsupport::mariadbDsn()); }).number(), 40002);
    EXPECT_LT(timer.elapsed(), 20000);
}

}  // namespace

#include "common/FakeMainWindow.h"
#include "common/RecordingConnection.h"
#include "diag/Module1.h"
#include "runtime/RuntimeError.h"

#include <gtest/gtest.h>

namespace {

class StatementRunner : public ::testing::Test {
protected:
    void SetUp() override
    {
        conn = std::make_shared<testsupport::RecordingConnection>();
        session().Verbindung1 = conn;
    }
    void TearDown() override { session().Verbindung1.reset(); }

    testsupport::FakeMainWindow mw;
    std::shared_ptr<testsupport::RecordingConnection> conn;
};

TEST_F(StatementRunner, BackslashesDoubledForMySqlAndSybaseOnLinuxInTheCallersString)
{
    struct Case {
        ServerKind kind;
        bool linux_;
        bool doubled;
    };
    const Case cases[] = {{ServerKind::MySQL, false, true},  {ServerKind::Sybase, true, true},
                          {ServerKind::Sybase, false, false}, {ServerKind::MSSQL, false, false},
                          {ServerKind::Oracle, true, false},  {ServerKind::DB2, false, false}};
    for (const Case& c : cases) {
        mw.kind = c.kind;
        mw.linux_ = c.linux_;
        QString sql = QStringLiteral("INSERT INTO t VALUES ('C:\\x')");
        SQL_Ausfuehren(sql);
        const QString expected =
            c.doubled ? QStringLiteral("INSERT INTO t VALUES ('C:\\\\x')") : QStringLiteral("INSERT INTO t VALUES ('C:\\x')");
        EXPECT_EQ(sql, expected) << serverKindName(c.kind).toStdString();
        EXPECT_EQ(conn->executed.last(), expected);
        EXPECT_EQ(conn->executeOptions.last(), 64);
    }
}

TEST_F(StatementRunner, SybaseIgnoresS1000AndEverythingElseReachesTheCaller)
{
    mw.kind = ServerKind::Sybase;
    conn->failWhen(QStringLiteral("DROP"), QStringLiteral("S1000: table busy"));
    conn->failWhen(QStringLiteral("CREATE"), QStringLiteral("S0001: exists"), 40002);
    QString drop = QStringLiteral("DROP TABLE t");
    EXPECT_NO_THROW(SQL_Ausfuehren(drop));
    QString create = QStringLiteral("CREATE TABLE t (a int)");
    try {
        SQL_Ausfuehren(create);
        FAIL() << "no failure";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 40002);
        EXPECT_EQ(e.description(), QStringLiteral("S0001: exists"));
        EXPECT_EQ(e.source(), QStringLiteral("RecordingConnection"));
    }
    // The same S1000 failure on another server kind is the caller's.
    mw.kind = ServerKind::MSSQL;
    EXPECT_THROW(SQL_Ausfuehren(drop), rt::RuntimeError);
}

TEST_F(StatementRunner, NoConnectionIsAFailureNotACrash)
{
    session().Verbindung1.reset();
    QString sql = QStringLiteral("SELECT 1");
    EXPECT_THROW(SQL_Ausfuehren(sql), rt::RuntimeError);
}

TEST(SiblingDataSource, FirstFiveCharactersIgnoringCase)
{
    EXPECT_TRUE(Fremd_DSN(QStringLiteral("tiramSQL")));
    EXPECT_TRUE(Fremd_DSN(QStringLiteral("MEXOL")));
    EXPECT_TRUE(Fremd_DSN(QStringLiteral("Ruden_Test")));
    EXPECT_FALSE(Fremd_DSN(QStringLiteral("TIRA")));
    EXPECT_FALSE(Fremd_DSN(QStringLiteral(" TIRAM")));
    EXPECT_FALSE(Fremd_DSN(QStringLiteral("ZABSQL")));
    testsupport::FakeMainWindow mw;
    mw.dsn = QStringLiteral("mexolDB");
    EXPECT_TRUE(Fremd_DSN());
    mw.dsn = QStringLiteral("ZABSQL");
    EXPECT_FALSE(Fremd_DSN());
}

}  // namespace

#include "common/FakeMainWindow.h"
#include "common/RecordingConnection.h"
#include "diag/Guard.h"
#include "diag/Module1.h"
#include "runtime/RuntimeError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

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

// Which kinds get their backslashes doubled the statement recording shows; the doubling is made
// in the caller's own string, and the statement goes out directly.
TEST_F(StatementRunner, BackslashesAreDoubledInTheCallersString)
{
    mw.kind = ServerKind::MySQL;
    QString sql = QStringLiteral("INSERT INTO t VALUES ('C:\\x')");
    SQL_Ausfuehren(sql);
    EXPECT_EQ(sql, QStringLiteral("INSERT INTO t VALUES ('C:\\\\x')"));
    EXPECT_EQ(conn->executed.last(), sql);
    EXPECT_EQ(conn->executeOptions.last(), 64);
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
    for (const char* dsn : {"tiramSQL", "MEXOL", "Ruden_Test"})
        EXPECT_TRUE(Fremd_DSN(QString::fromLatin1(dsn))) << dsn;
    for (const char* dsn : {"TIRA", " TIRAM", "ZABSQL"})
        EXPECT_FALSE(Fremd_DSN(QString::fromLatin1(dsn))) << dsn;
    testsupport::FakeMainWindow mw;
    mw.dsn = QStringLiteral("mexolDB");
    EXPECT_TRUE(Fremd_DSN());
    mw.dsn = QStringLiteral("ZABSQL");
    EXPECT_FALSE(Fremd_DSN());
}

// Each policy of the statement guard: how often the statement runs and what the caller learns.
TEST(StatementGuard, NextRepeatAndEnd)
{
    using diag::AfterFailure;
    using diag::Guarded;
    const struct {
        int failures;  // the statement fails this many times, then runs through
        AfterFailure policy;
        int runs;
        Guarded result;
    } cases[] = {
        {0, AfterFailure::End, 1, Guarded::Ran},
        {1, AfterFailure::Next, 1, Guarded::Failed},
        {2, AfterFailure::Repeat, 3, Guarded::Ran},
        {1, AfterFailure::End, 1, Guarded::Ended},
    };
    for (const auto& c : cases) {
        int runs = 0, handled = 0;
        const Guarded r = diag::guarded(
            [&](const rt::RuntimeError& e) {
                EXPECT_EQ(e.number(), rt::err::Odbc);
                ++handled;
                return c.policy;
            },
            [&] {
                if (runs++ < c.failures)
                    throw rt::RuntimeError(rt::err::Odbc, QStringLiteral("t"), QStringLiteral("S1000: x"));
            });
        EXPECT_EQ(r, c.result) << c.failures;
        EXPECT_EQ(runs, c.runs) << c.failures;
        EXPECT_EQ(handled, std::min(c.failures, c.runs)) << c.failures;
    }
    // Anything but a RuntimeError is a fault of the program and is not handled.
    EXPECT_THROW(diag::guarded([](const rt::RuntimeError&) { return AfterFailure::Next; },
                               [] { throw std::logic_error("fault"); }),
                 std::logic_error);
}

}  // namespace

// An XDB document applied through the reconciliation window to real databases: SQLite and
// MariaDB through unixODBC.
#include "../widgets/xdb_document.h"
#include "common/Controls.h"
#include "common/FakeMainWindow.h"
#include "common/ScriptedDialogs.h"
#include "common/Servers.h"

#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "runtime/Platform.h"
#include "xdb/Abgleichen.h"

#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

namespace {

using namespace xdbdoc;
using testsupport::ScratchDatabase;

class XdbOnServer : public ::testing::Test {
protected:
    void open(ScratchDatabase::Kind kind, ServerKind serverKind)
    {
        db = std::make_unique<ScratchDatabase>(kind);
        engine = sql::createOdbcEngine();
        env = engine->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
        folder = testsupport::beginSession(mw);
        runReport().reset();
        mw.kind = serverKind;
        session().Verbindung1 = env->openConnection(db->dsn());
    }
    void TearDown() override
    {
        window.reset();
        testsupport::endSession();
    }

    void exec(const QString& statement) { session().Verbindung1->execute(statement, sql::kExecDirect); }
    QVariant value(const QString& query) { return testsupport::firstValue(*session().Verbindung1, query); }
    QStringList run(const QStringList& lines)
    {
        window = std::make_unique<Abgleichen>();
        testsupport::control<QLineEdit>(*window, "Text_XDB")->setText(write(folder + "/ZAB.XDB", bytes(lines)));
        window->XDB_Verarbeiten();
        return testsupport::itemTexts(*testsupport::control<QListWidget>(*window, "List1"));
    }

    testsupport::FakeMainWindow mw;
    testsupport::ScriptedDialogs dialogs;
    std::unique_ptr<ScratchDatabase> db;
    std::unique_ptr<sql::Engine> engine;
    std::shared_ptr<sql::Environment> env;
    std::unique_ptr<Abgleichen> window;
    QString folder;
};

TEST_F(XdbOnServer, HostileDocumentsLeaveOtherTablesAlone)
{
    const struct {
        ScratchDatabase::Kind db;
        ServerKind kind;
    } setups[] = {{ScratchDatabase::Kind::Sqlite, ServerKind::MSSQL},
                  {ScratchDatabase::Kind::Mariadb, ServerKind::MySQL}};
    for (const auto& s : setups) {
        if (s.db == ScratchDatabase::Kind::Sqlite) {
            REQUIRE_SQLITE();
        } else {
            REQUIRE_MARIADB();
        }
        open(s.db, s.kind);
        exec("CREATE TABLE Laender (Kz VARCHAR(3))");
        exec("INSERT INTO Laender (Kz) VALUES ('D')");
        exec("CREATE TABLE Kunde (Nr INT, PLZ VARCHAR(5))");
        const QString drop = "DROP TABLE Laender; --";
        const QStringList report = run({
            "[felder]",
            key22("tabelle", "Kunde"),
            feld("y] INT; " + drop, 4, 0),
            oldHeader("Kunde"),
            oldFeld("Menge", 4, 0, "0 NULL; " + drop),
            oldFeld("Land", 10, 30, "x'); " + drop),
            "[renamefield]",
            key24("tabelle", "Kunde"),
            renameFeld("PLZ", "x' , 'y'; " + drop),
            "[querys]",
            key22("name", "V AS SELECT 1; " + drop),
            key22("sql", "SELECT 1"),
        });
        EXPECT_EQ(value("SELECT COUNT(*) FROM Laender").toInt(), 1) << report.join("\n").toStdString();
        EXPECT_TRUE(report.contains(
            QString::fromUtf8("\tFeld Menge in Kunde nicht angelegt: ungültiger Standardwert 0 NULL; ") + drop));
        EXPECT_GE(runReport().xdb.linesNotApplied, 2);
        if (s.db == ScratchDatabase::Kind::Sqlite) {
            // SQLite takes brackets: the quoted default arrives as the text it was.
            exec("INSERT INTO Kunde (Nr) VALUES (1)");
            EXPECT_EQ(value("SELECT Land FROM Kunde").toString(), "x'); " + drop);
        }
        window.reset();
        testsupport::endSession();
    }
}

}  // namespace

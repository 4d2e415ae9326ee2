// Views and triggers from Access objects on real databases: SQLite and MariaDB through unixODBC.
#include "common/FakeMainWindow.h"
#include "common/MemoryAccessDatabase.h"
#include "common/Servers.h"

#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/ConversionWindowContext.h"
#include "derived/DerivedObjects.h"
#include "diag/Session.h"
#include "runtime/Platform.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ScratchDatabase;

class ListWindow : public ConversionWindowContext {
public:
    accessdb::Database* database() override { return db; }
    QString textMod() const override { return QStringLiteral("1"); }
    void Schalter_Freigeben(bool) override {}
    void clearList1() override { list1.clear(); }
    void addToList1(const QString& line) override { list1 << line; }
    void scrollList1ToEnd() override {}
    void setStatus(const QString&) override {}
    void processEvents() override {}
    accessdb::Database* db = nullptr;
    QStringList list1;
};

struct Setup {
    ScratchDatabase::Kind db;
    ServerKind kind;
    const char* label;
};

class DerivedOnServer : public ::testing::TestWithParam<Setup> {
protected:
    void SetUp() override
    {
        REQUIRE_SERVER_FOR(GetParam().db);
        db = std::make_unique<ScratchDatabase>(GetParam().db);
        engine = sql::createOdbcEngine();
        env = engine->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
        testsupport::beginSession(mw);
        mw.kind = GetParam().kind;
        session().Verbindung1 = env->openConnection(db->dsn());
        window.db = &access;

        exec("CREATE TABLE Artikel (Nr INT, Name VARCHAR(40), Preis FLOAT)");
        exec("CREATE TABLE Auftrag (Nr INT, ArtikelNr INT, Menge INT)");
        exec("INSERT INTO Artikel (Nr, Name, Preis) VALUES (1, 'Schraube', 0.5)");
        exec("INSERT INTO Artikel (Nr, Name, Preis) VALUES (2, 'Mutter', 12)");
        exec("INSERT INTO Artikel (Nr, Name, Preis) VALUES (3, 'Scheibe', 20)");
        exec("INSERT INTO Auftrag (Nr, ArtikelNr, Menge) VALUES (10, 2, 5)");
    }
    void TearDown() override { testsupport::endSession(); }

    void exec(const QString& statement) { session().Verbindung1->execute(statement, sql::kExecDirect); }
    QVariant value(const QString& query) { return testsupport::firstValue(*session().Verbindung1, query); }

    testsupport::FakeMainWindow mw;
    std::unique_ptr<ScratchDatabase> db;
    std::unique_ptr<sql::Engine> engine;
    std::shared_ptr<sql::Environment> env;
    testsupport::MemoryAccessDatabase access;
    ListWindow window;
};

TEST_P(DerivedOnServer, AccessQueriesBecomeViewsThatReturnTheirRows)
{
    access.addQuery({"View_Teuer", "SELECT DISTINCTROW [Artikel].[Nr], [Artikel].[Name]\r\nFROM [Artikel]\r\n"
                                   "WHERE ((([Artikel].[Preis])>10));"});
    access.addQuery({"View_Schraube", "SELECT Artikel.Nr FROM Artikel WHERE Artikel.Name=\"Schraube\";"});
    access.addQuery({"View_Erster", "SELECT First(Artikel.Name) AS Erster FROM Artikel;"});
    access.addQuery({"View_Auftrag", "SELECT DISTINCTROW Auftrag.Nr, Artikel.Name\r\nFROM Artikel INNER JOIN Auftrag "
                                     "ON Artikel.Nr = Auftrag.ArtikelNr;"});
    Abfragen_nach_Sichten(window);

    EXPECT_EQ(value("SELECT COUNT(*) FROM View_Teuer").toInt(), 2);
    EXPECT_EQ(value("SELECT Nr FROM View_Schraube").toInt(), 1);
    EXPECT_EQ(value("SELECT Erster FROM View_Erster").toString(), "Mutter");
    EXPECT_EQ(value("SELECT Name FROM View_Auftrag WHERE Nr = 10").toString(), "Mutter");

    // A second click replaces the views.
    Abfragen_nach_Sichten(window);
    EXPECT_EQ(value("SELECT COUNT(*) FROM View_Teuer").toInt(), 2);
}

TEST_P(DerivedOnServer, TriggerCreatesFailAndAreListed)
{
    access.addRelation({"ArtikelAuftrag", "Artikel", "Auftrag",
                        accessdb::kRelationCascadeUpdate | accessdb::kRelationCascadeDelete, {{"Nr", "ArtikelNr"}}});
    Beziehungen_nach_Trigger(window);
    ASSERT_GE(window.list1.size(), 5) << window.list1.join("\n").toStdString();
    EXPECT_EQ(window.list1[0], "Artikel");
    // Both creates refused: each failure is listed as tab-led pieces.
    int failureLines = 0;
    for (const QString& l : window.list1)
        failureLines += l.startsWith('\t');
    EXPECT_GE(failureLines, 2);
    EXPECT_FALSE(session().FehlerAufgetreten);
    // The tables are untouched.
    EXPECT_EQ(value("SELECT COUNT(*) FROM Auftrag").toInt(), 1);
}

const Setup kSetups[] = {
    {ScratchDatabase::Kind::Sqlite, ServerKind::MSSQL, "SqliteAsMsSql"},
    {ScratchDatabase::Kind::Mariadb, ServerKind::MySQL, "MariadbAsMySql"},
    {ScratchDatabase::Kind::MariadbAnsi, ServerKind::MSSQL, "MariadbAnsiAsMsSql"},
};

INSTANTIATE_TEST_SUITE_P(Servers, DerivedOnServer, ::testing::ValuesIn(kSetups),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(DerivedOnSqlite, AFunctionTheServerLacksLeavesAWarning)
{
    REQUIRE_SQLITE();
    ScratchDatabase db(ScratchDatabase::Kind::Sqlite);
    auto engine = sql::createOdbcEngine();
    auto env = engine->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
    testsupport::FakeMainWindow mw;
    testsupport::beginSession(mw);
    mw.kind = ServerKind::MSSQL;
    session().Verbindung1 = env->openConnection(db.dsn());
    QString query = "SELECT LEFT(Name,2) AS Kurz FROM Artikel;";
    QString message;
    Create_View("View_Kurz", query, message);
    EXPECT_TRUE(message.startsWith("Warnung: 40002S1000:")) << message.toStdString();
    EXPECT_TRUE(session().FehlerAufgetreten);
    testsupport::endSession();
}

}  // namespace

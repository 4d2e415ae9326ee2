#include "derived/ViewRewriting.h"

#include <gtest/gtest.h>

namespace {

// Rules the sample database's own queries do not reach (those are in the statement recording).
struct Case {
    const char* what;
    ServerKind kind;
    const char* name;
    const char* access;
    const char* create;  // expected CREATE VIEW statement
};

const ServerKind MSSQL = ServerKind::MSSQL, MySQL = ServerKind::MySQL, Oracle = ServerKind::Oracle,
                 Sybase = ServerKind::Sybase, DB2 = ServerKind::DB2;

const Case kCases[] = {
    {"brackets, DISTINCTROW and the semicolon", MSSQL, "V", "SELECT DISTINCTROW [Artikel].[Nr] FROM [Artikel];",
     "CREATE VIEW V AS SELECT  Artikel.Nr FROM Artikel"},
    {"text after the first semicolon goes", MySQL, "V", "SELECT a FROM t; SELECT b FROM u;",
     "CREATE VIEW V AS SELECT a FROM t"},
    {"FIRST( in any case becomes MIN(, other aggregates stay", MSSQL, "V", "SELECT first(a), First(b), Last(c) FROM t",
     "CREATE VIEW V AS SELECT MIN(a), MIN(b), Last(c) FROM t"},
    {"a double-quoted text keeps its single quotes and semicolons", MSSQL, "V",
     "SELECT a FROM t WHERE b=\"O'Brien; 1'; DROP TABLE t; --\" AND c='x\"y' AND d=\"a\"\"b\";",
     "CREATE VIEW V AS SELECT a FROM t WHERE b='O''Brien; 1''; DROP TABLE t; --' AND c='x\"y' AND d='a\"b'"},
    {"DISTINCTROW removed again when a removal joins another", MSSQL, "V", "SELECT DISTINCTdistinctrowROW a FROM t",
     "CREATE VIEW V AS SELECT  a FROM t"},
    {"View_Kommission1 keeps the Access dialect", MSSQL, "View_Kommission1",
     "SELECT DISTINCTROW [a], FIRST(b) FROM t WHERE c=\"x\"",
     "CREATE VIEW View_Kommission1 AS SELECT DISTINCTROW [a], FIRST(b) FROM t WHERE c=\"x\""},
    {"View_Kommission1 still gets the later steps", Oracle, "View_Kommission1", "SELECT [a], LEFT(b,2) FROM t",
     "CREATE VIEW View_Kommission1 AS SELECT [a], SUBSTR(b,1,2) FROM t"},
    {"the name test is case-sensitive", MSSQL, "view_kommission1", "SELECT [a] FROM t",
     "CREATE VIEW view_kommission1 AS SELECT a FROM t"},
    {"Str(Kommission-1) on MySQL", MySQL, "V", "SELECT STR(Kommission-1), Str(Kommision-1) FROM t",
     "CREATE VIEW V AS SELECT Kommission-1, Kommision-1 FROM t"},
    {"Str(Kommission-1) on Oracle", Oracle, "V", "SELECT Str(Kommission-1) FROM t",
     "CREATE VIEW V AS SELECT Kommission-1 FROM t"},
    {"Str(Kommission-1) stays on MS SQL", MSSQL, "V", "SELECT Str(Kommission-1) FROM t",
     "CREATE VIEW V AS SELECT Str(Kommission-1) FROM t"},
    {"SUBSTRING and LEN( on DB2", DB2, "V", "SELECT Substring(a,1,2), len(b), LENGTH(c) FROM t",
     "CREATE VIEW V AS SELECT SUBSTR(a,1,2), LENGTH(b), LENGTH(c) FROM t"},
    {"RIGHT with an expression subtracts it whole", DB2, "V", "SELECT Right([PLZ],Len([PLZ])-1) AS Rest FROM t",
     "CREATE VIEW V AS SELECT SUBSTR(PLZ,LENGTH(PLZ) + 1 - (LENGTH(PLZ)-1)) AS Rest FROM t"},
    {"a RIGHT inside the length of another", Oracle, "V", "SELECT RIGHT(a,RIGHT(b,1)) FROM t",
     "CREATE VIEW V AS SELECT SUBSTR(a,LENGTH(a) + 1 - (SUBSTR(b,LENGTH(b) + 1 - (1)))) FROM t"},
    {"several LEFTs on DB2", DB2, "V", "SELECT LEFT(a,1) & LEFT(b,2) FROM t",
     "CREATE VIEW V AS SELECT SUBSTR(a,1,1) & SUBSTR(b,1,2) FROM t"},
    {"a call with its own parentheses inside LEFT", Oracle, "V", "SELECT LEFT(Trim(a),2) FROM t",
     "CREATE VIEW V AS SELECT SUBSTR(Trim(a),1,2) FROM t"},
    {"View_ABV_LB: empty literals become NULL", MSSQL, "View_ABV_LB", "SELECT \"\" AS Leer, '' AS Auch FROM t",
     "CREATE VIEW View_ABV_LB AS SELECT NULL AS Leer, NULL AS Auch FROM t"},
    {"View_ABV_LB keeps its empty literals on DB2", DB2, "View_ABV_LB", "SELECT '' AS Leer FROM t",
     "CREATE VIEW View_ABV_LB AS SELECT '' AS Leer FROM t"},
    {"other views keep their empty literals", MSSQL, "View_ABV_LC", "SELECT '' AS Leer FROM t",
     "CREATE VIEW View_ABV_LC AS SELECT '' AS Leer FROM t"},
};

TEST(ViewRewriting, AccessTextsBecomeTheServerKindsDialect)
{
    for (const Case& c : kCases) {
        const ViewStatements v =
            rewriteView(QString::fromUtf8(c.name), QString::fromUtf8(c.access), TextOptions{c.kind});
        EXPECT_TRUE(v.convertible()) << c.what << ": " << v.notConvertible.toStdString();
        EXPECT_EQ(v.create.toStdString(), std::string(c.create)) << c.what;
    }
}

TEST(ViewRewriting, LongNamesAreCutToThirtyOnOracleAndDb2Only)
{
    const QString name35 = QStringLiteral("View_Abcdefghijklmnopqrstuvwxyz0123");
    const QString name30 = name35.left(30);

    const ViewStatements oracle = rewriteView(name35, "SELECT 1", TextOptions{Oracle});
    EXPECT_EQ(oracle.name, name30);
    EXPECT_EQ(oracle.drop, "DROP VIEW " + name30);
    EXPECT_EQ(oracle.create, "CREATE VIEW " + name30 + " AS SELECT 1");

    const ViewStatements db2 = rewriteView(name35, "SELECT 1", TextOptions{DB2});
    EXPECT_EQ(db2.preliminaryDrop, "DROP VIEW " + name35);  // the preliminary drop uses the full name
    EXPECT_EQ(db2.drop, "DROP VIEW IF EXISTS \"" + name30 + "\"");
    EXPECT_EQ(db2.create, "CREATE VIEW " + name30 + " AS SELECT 1");

    EXPECT_EQ(rewriteView(name35, "SELECT 1", TextOptions{MSSQL}).create, "CREATE VIEW " + name35 + " AS SELECT 1");
}

TEST(ViewRewriting, Db2ProductionViewsGetNoPreliminaryDrop)
{
    for (const char* n : {"VIEW__FS_ANZAHL", "View__FS_Planzahl", "view__fs_fertigzahl", "VIEW_PRODUKTIONSPLAN"})
        EXPECT_TRUE(rewriteView(n, "SELECT 1", TextOptions{DB2}).preliminaryDrop.isEmpty()) << n;
    EXPECT_EQ(rewriteView("VIEW__FS_ANZAHL2", "SELECT 1", TextOptions{DB2}).preliminaryDrop,
              "DROP VIEW VIEW__FS_ANZAHL2");
}

TEST(ViewRewriting, TextsThatCannotBeRewrittenAreReportedNotCut)
{
    struct Bad {
        ServerKind kind;
        const char* access;
        const char* causeMentions;
    };
    const Bad bad[] = {
        {Oracle, "SELECT LEFT(a) FROM t", "LEFT("},
        {DB2, "SELECT RIGHT(a FROM t", "RIGHT("},
        {Oracle, "SELECT YEAR(Datum FROM t", "YEAR("},
        {Oracle, "SELECT MONTH(Datum FROM t", "MONTH("},
        {DB2, "SELECT a AS 'Offen FROM t", "AS '"},
        // The first comma belongs to an inner call or a literal: cutting there changes the meaning.
        {Oracle, "SELECT LEFT(Mid(a,2,3),2) FROM t", "LEFT("},
        {DB2, "SELECT RIGHT('a,b',1) FROM t", "RIGHT("},
        {Oracle, "SELECT YEAR(Date()) FROM t", "YEAR("},
        // Nested RIGHTs would otherwise copy their argument again and again.
        {Oracle, "SELECT RIGHT(RIGHT(RIGHT(RIGHT(a,1),1),1),1) FROM t", "RIGHT("},
        {Oracle, "SELECT RIGHT(a,2 FROM t", "RIGHT("},
    };
    for (const Bad& b : bad) {
        const ViewStatements v = rewriteView("V", QString::fromUtf8(b.access), TextOptions{b.kind});
        EXPECT_FALSE(v.convertible()) << b.access;
        EXPECT_TRUE(v.notConvertible.contains(QLatin1String(b.causeMentions))) << v.notConvertible.toStdString();
        EXPECT_TRUE(v.create.isEmpty() && v.drop.isEmpty()) << b.access;
    }
    // Names stand bare in the drop and the create: one that could end them is not sent.
    for (const char* name : {"V AS SELECT 1; --", "V\"", "Order Details", ""})
        for (ServerKind k : kAllServerKinds) {
            const ViewStatements v = rewriteView(name, "SELECT 1", TextOptions{k});
            EXPECT_EQ(v.notConvertible, "ungültiger Name") << name;
            EXPECT_TRUE(v.preliminaryDrop.isEmpty() && v.drop.isEmpty() && v.create.isEmpty()) << name;
        }
    EXPECT_TRUE(rewriteView("Sicht_Größe$1#", "SELECT 1", TextOptions{MSSQL}).convertible());
    // The same texts are left alone where nothing rewrites them.
    EXPECT_TRUE(rewriteView("V", "SELECT LEFT(a) FROM t", TextOptions{MSSQL}).convertible());
    EXPECT_TRUE(rewriteView("V", "SELECT YEAR(Datum FROM t", TextOptions{DB2}).convertible());
}

TEST(ViewRewriting, OnlyADropThatFoundNoViewIsPassedOver)
{
    for (const char* d : {"S0002: ORA-00942: table or view does not exist", "42S02: Unknown table 'v'",
                          "S0002: [ma-3.1.15]Unknown VIEW: 'db.v'", "S1000: [ma-3.1.15]Unknown table 'db.v'",
                          "S1000: [SQLite]no such view: v"})
        EXPECT_TRUE(dropFoundNoView(d)) << d;
    for (const char* d : {"37000: You have an error in your SQL syntax", "S1000: database is locked",
                          "42000: DROP command denied to user", "08S01: Communication link failure"})
        EXPECT_FALSE(dropFoundNoView(d)) << d;
}

}  // namespace

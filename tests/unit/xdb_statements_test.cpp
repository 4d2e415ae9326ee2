#include "xdb/XdbStatements.h"

#include <gtest/gtest.h>

namespace {

using xdb::columnType;
const ServerKind MSSQL = ServerKind::MSSQL, MySQL = ServerKind::MySQL, Oracle = ServerKind::Oracle,
                 Sybase = ServerKind::Sybase, DB2 = ServerKind::DB2;

struct Row {
    int code;
    const char* mssql;
    const char* mysql;
    const char* oracle;
    const char* sybase;
    const char* db2;
};

// The document's own type table; Yes/No on MySQL and Sybase, Date/Time and Memo on MySQL as the
// table conversion has them.
const Row kTypes[] = {
    {1, "BIT", "BIT", "DECIMAL(1,0)", "BIT", "SMALLINT"},
    {2, "SMALLINT", "SMALLINT", "DECIMAL", "SMALLINT", "SMALLINT"},
    {3, "SMALLINT", "SMALLINT", "DECIMAL", "SMALLINT", "SMALLINT"},
    {4, "INT", "INT", "INT", "INT", "INTEGER"},
    {5, "MONEY", "MONEY", "MONEY", "MONEY", "MONEY"},
    {6, "REAL", "REAL", "REAL", "REAL", "REAL"},
    {7, "FLOAT", "DOUBLE", "FLOAT", "FLOAT", "DOUBLE"},
    {8, "DATETIME", "DATETIME", "TIMESTAMP", "DATETIME", "TIMESTAMP"},
    {10, "VARCHAR(35)", "VARCHAR(35)", "VARCHAR(35)", "VARCHAR(35)", "VARCHAR(35)"},
    {11, "IMAGE", "IMAGE", "IMAGE", "IMAGE", "IMAGE"},
    {12, "TEXT", "TEXT", "CLOB", "TEXT", "CLOB(4194304)"},
    {15, "VARBINARY", "VARBINARY", "VARBINARY", "VARBINARY", "VARBINARY"},
};

TEST(XdbTypes, EveryCodeOnEveryKind)
{
    for (const Row& r : kTypes) {
        const std::pair<ServerKind, const char*> cells[] = {
            {MSSQL, r.mssql}, {MySQL, r.mysql}, {Oracle, r.oracle}, {Sybase, r.sybase}, {DB2, r.db2}};
        for (const auto& [kind, expected] : cells) {
            const auto t = columnType(r.code, 35, kind, false, false);
            ASSERT_TRUE(t.has_value()) << r.code << " " << serverKindName(kind).toStdString();
            EXPECT_EQ(t->toStdString(), std::string(expected)) << r.code << " " << serverKindName(kind).toStdString();
        }
    }
}

TEST(XdbTypes, SiblingProductsAndTheLinuxBox)
{
    EXPECT_EQ(columnType(1, 0, Oracle, false, true), "FLOAT");
    EXPECT_EQ(columnType(3, 0, Oracle, false, true), "FLOAT");
    EXPECT_EQ(columnType(4, 0, Oracle, false, true), "FLOAT");
    EXPECT_EQ(columnType(12, 0, Oracle, false, true), "VARCHAR(2000)");
    EXPECT_EQ(columnType(12, 0, DB2, false, true), "CLOB(4194304)");  // unlike the table conversion
    EXPECT_EQ(columnType(4, 0, MSSQL, false, true), "INT");
    EXPECT_EQ(columnType(7, 0, Sybase, true, false), "DECIMAL");
    EXPECT_EQ(columnType(7, 0, MSSQL, true, false), "FLOAT");
    EXPECT_EQ(columnType(10, 0, MySQL, false, false), "VARCHAR(0)");
}

TEST(XdbTypes, CodesWithoutAnSqlTypeGiveNone)
{
    for (int code : {0, 9, 13, 14, 16, -1, 255})
        for (ServerKind k : kAllServerKinds)
            EXPECT_FALSE(columnType(code, 10, k, false, false).has_value()) << code;
}

TEST(XdbStatements, DefaultsLoseOneQuoteEachSide)
{
    EXPECT_EQ(xdb::documentDefault(""), "");
    EXPECT_EQ(xdb::documentDefault("\"\""), "' '");
    EXPECT_EQ(xdb::documentDefault("\""), "' '");
    EXPECT_EQ(xdb::documentDefault("\"abc\""), "abc");
    EXPECT_EQ(xdb::documentDefault("\"\"abc\"\""), "\"abc\"");
    EXPECT_EQ(xdb::documentDefault("0"), "0");
}

TEST(XdbStatements, IndexQueriesPerKind)
{
    EXPECT_EQ(xdb::indexExistsQuery(MSSQL, "Kunde", "IX_Name"),
              "SELECT COUNT(*) FROM dbo.sysindexes INNER JOIN dbo.sysobjects ON sysobjects.id = sysindexes.id "
              "WHERE sysobjects.xtype = 'U' AND sysobjects.name = 'Kunde' AND (sysindexes.name = 'IX_Name' "
              "OR sysindexes.name LIKE '___IX_Name')");
    EXPECT_EQ(xdb::indexExistsQuery(Sybase, "Kunde", "IX_Name"),
              "SELECT COUNT(*) FROM SYSINDEX INNER JOIN SYSTABLE ON SYSTABLE.table_id = SYSINDEX.table_id "
              "WHERE SYSTABLE.table_type = 'BASE' AND SYSTABLE.table_name = 'Kunde' AND SYSINDEX.index_name = 'IX_Name'");
    for (ServerKind k : {MySQL, Oracle, DB2})
        EXPECT_TRUE(xdb::indexTakenAsPresent(k));
    EXPECT_FALSE(xdb::indexTakenAsPresent(MSSQL));
    EXPECT_FALSE(xdb::indexTakenAsPresent(Sybase));
}

TEST(XdbStatements, CreateIndexPerKindAndAttribute)
{
    const QStringList fields{"Name", "Ort"};
    EXPECT_EQ(xdb::createIndexStatement(MSSQL, "Kunde", "IX", 0, fields), "CREATE INDEX [IX] ON [Kunde]([Name], [Ort])");
    EXPECT_EQ(xdb::createIndexStatement(MSSQL, "Kunde", "IX", 1, fields), "CREATE INDEX [IX] ON [Kunde]([Name], [Ort])");
    EXPECT_FALSE(xdb::createIndexStatement(MSSQL, "Kunde", "IX", 2, fields).has_value());
    EXPECT_FALSE(xdb::createIndexStatement(MSSQL, "Kunde", "IX", 3, fields).has_value());
    EXPECT_EQ(xdb::createIndexStatement(Sybase, "Kunde", "IX", 2, fields), "CREATE INDEX [IX] ON Kunde(Name, Ort)");
    for (ServerKind k : {MySQL, Oracle, DB2})
        EXPECT_FALSE(xdb::createIndexStatement(k, "Kunde", "IX", 0, fields).has_value());
}

}  // namespace

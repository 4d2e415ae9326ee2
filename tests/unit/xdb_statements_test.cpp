#include "common/MemoryAccessDatabase.h"
#include "engine/SqlText.h"
#include "engine/TypeMap.h"
#include "xdb/XdbStatements.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::optional<QString> columnType(int code, int size, ServerKind kind, bool linuxBox, bool sibling)
{
    engine::TextOptions o;
    o.kind = kind;
    o.linuxBox = linuxBox;
    o.fremdDsn = sibling;
    return engine::sqlTypeOf(code, size, engine::TypeUse::Document, o);
}
const ServerKind MSSQL = ServerKind::MSSQL, MySQL = ServerKind::MySQL, Oracle = ServerKind::Oracle,
                 Sybase = ServerKind::Sybase, DB2 = ServerKind::DB2;

// The document's types are the table conversion's (pinned per kind in the engine's tests) except
// where they were meant to differ; a change to one map that is not made to the other shows here.
TEST(XdbTypes, DifferFromTheTableConversionOnlyWhereIntended)
{
    enum Variant { Plain, Sibling, LinuxBox };
    const struct {
        int code;
        ServerKind kind;
        Variant variant;
        const char* engine;
        const char* document;
    } intended[] = {
        {1, Oracle, Plain, "FLOAT", "DECIMAL(1,0)"},
        {1, Oracle, LinuxBox, "FLOAT", "DECIMAL(1,0)"},
        // A sibling product's memo: each map narrows it on the other kind.
        {12, Oracle, Sibling, "CLOB", "VARCHAR(2000)"},
        {12, DB2, Sibling, "VARCHAR(2000)", "CLOB(4194304)"},
    };
    int differences = 0;
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 15})
        for (ServerKind kind : kAllServerKinds)
            for (Variant variant : {Plain, Sibling, LinuxBox}) {
                engine::TextOptions o;
                o.kind = kind;
                o.fremdDsn = variant == Sibling;
                o.linuxBox = variant == LinuxBox;
                const QString e = engine::sqlType(testsupport::field("f", code, 35), o);
                const QString d = columnType(code, 35, kind, variant == LinuxBox, variant == Sibling).value_or("-");
                const std::string where =
                    std::to_string(code) + " " + serverKindName(kind).toStdString() + " " + std::to_string(variant);
                const auto* known = std::find_if(std::begin(intended), std::end(intended), [&](const auto& i) {
                    return i.code == code && i.kind == kind && i.variant == variant;
                });
                if (known == std::end(intended)) {
                    EXPECT_EQ(e.toStdString(), d.toStdString()) << where;
                    continue;
                }
                ++differences;
                EXPECT_EQ(e.toStdString(), known->engine) << where;
                EXPECT_EQ(d.toStdString(), known->document) << where;
            }
    EXPECT_EQ(differences, int(std::size(intended)));
}

TEST(XdbTypes, CodesWithoutAnSqlTypeGiveNone)
{
    for (int code : {0, 9, 13, 14, 16, -1, 255})
        for (ServerKind k : kAllServerKinds)
            EXPECT_FALSE(columnType(code, 10, k, false, false).has_value()) << code;
}

TEST(XdbStatements, DefaultsBecomeLiteralsOrMustBeNumbers)
{
    const struct {
        const char* value;
        int type;
        const char* sql;  // nullptr: refused
    } cases[] = {
        {"", 10, ""},
        {"\"\"", 10, "' '"},
        {"\"", 12, "' '"},
        {"\"abc\"", 10, "'abc'"},
        {"Deutschland", 10, "'Deutschland'"},
        {"\"O'Brien\"", 10, "'O''Brien'"},
        {"'schon'", 10, "'schon'"},
        {"x'); DROP TABLE Laender; --", 12, "'x''); DROP TABLE Laender; --'"},
        {"20040307", 8, "'20040307'"},
        {"0", 6, "0"},
        {"\"0\"", 4, "0"},
        {"-1", 1, "-1"},
        {"1.5e3", 7, "1.5e3"},
        {"0 NULL; DROP TABLE Laender; --", 4, nullptr},
        {"ja", 1, nullptr},
        {"0,5", 7, nullptr},
        {"\"\"", 3, nullptr},
        {"0", 11, nullptr},
        {"0", 15, nullptr},
    };
    for (const auto& c : cases) {
        const auto d = xdb::documentDefault(QString::fromUtf8(c.value), c.type);
        if (!c.sql)
            EXPECT_FALSE(d.has_value()) << c.value;
        else
            EXPECT_EQ(d.value_or("<refused>").toStdString(), c.sql) << c.value;
    }
}

TEST(XdbStatements, FieldsAreBuiltOrRefusedWithTheReason)
{
    const struct {
        const char* field;
        int type;
        double size;
        const char* defaultValue;
        const char* statement;
        const char* refusal;
    } cases[] = {
        {"Ort", 10, 40, "", "ALTER TABLE [T]  ADD [Ort] VARCHAR(40)", ""},
        {"Land", 10, 8000, "\"Deutschland\"", "ALTER TABLE [T]  ADD [Land] VARCHAR(8000) DEFAULT 'Deutschland' NULL",
         ""},
        {"y] INT; DROP TABLE Laender; --", 4, 0, "", "ALTER TABLE [T]  ADD [y]] INT; DROP TABLE Laender; --] INT", ""},
        {"Ort", 10, 0, "", "", "ungültige Länge 0"},
        {"Ort", 10, 8001, "", "", "ungültige Länge 8001"},
        {"Ort", 10, 2.5, "", "", "ungültige Länge 2.5"},
        {"Menge", 4, 0, "viel", "", "ungültiger Standardwert viel"},
        {"Daten", 9, 0, "", "", "für den Typcode 9 gibt es keinen SQL-Typ"},
    };
    for (const auto& c : cases) {
        const xdb::Built b = xdb::addField("T", QString::fromUtf8(c.field), c.type, c.size,
                                           QString::fromUtf8(c.defaultValue), engine::TextOptions{});
        EXPECT_EQ(b.statement.toStdString(), c.statement) << c.field;
        EXPECT_EQ(b.refusal.toStdString(), c.refusal) << c.field;
    }
    // The table name comes from the catalogue but is escaped all the same.
    EXPECT_EQ(xdb::addFieldStatement("a]b", "f", "INT", ""), "ALTER TABLE [a]]b]  ADD [f] INT");
}

TEST(XdbStatements, NamesInsideQuotesHaveTheirQuotesDoubled)
{
    EXPECT_EQ(xdb::renameFieldStatement("K'x", "a'", "b'; DROP TABLE Laender; --"),
              "sp_rename 'K''x.a''' , 'b''; DROP TABLE Laender; --' , 'column'");
    EXPECT_TRUE(xdb::indexExistsQuery(TextOptions{MSSQL}, "K'", "I'")
                    .contains("sysobjects.name = 'K''' AND (sysindexes.name = 'I''' "
                              "OR sysindexes.name LIKE '___I''')"));
    EXPECT_TRUE(xdb::indexExistsQuery(TextOptions{Sybase}, "K'", "I'")
                    .contains("table_name = 'K''' AND SYSINDEX.index_name = 'I'''"));
}

TEST(XdbStatements, CreateIndexPerKindAndAttribute)
{
    const auto sql = [](ServerKind k, const QString& table, qint32 attribute, const QStringList& f = {"Name", "Ort"}) {
        const xdb::Built b = xdb::createIndexStatement(TextOptions{k}, table, "IX", attribute, f);
        return (b.refusal.isEmpty() ? b.statement : "refused: " + b.refusal).toStdString();
    };
    EXPECT_EQ(sql(MSSQL, "Kunde", 1), "CREATE INDEX [IX] ON [Kunde]([Name], [Ort])");
    EXPECT_EQ(sql(MSSQL, "Kunde", 3), "");
    EXPECT_EQ(sql(MSSQL, "K]", 0, {"a]"}), "CREATE INDEX [IX] ON [K]]]([a]]])");
    EXPECT_EQ(sql(Sybase, "Größe_1$#  ", 0, {"Straße"}), "CREATE INDEX [IX] ON Größe_1$#  (Straße)");
    // Names that stand bare on Sybase are refused unless plain.
    EXPECT_EQ(sql(Sybase, "Kunde(Nr); DROP TABLE Laender; --", 0), "refused: ungültiger Name");
    EXPECT_EQ(sql(Sybase, "Kunde", 0, {"Nr) --"}), "refused: ungültiger Name");
    EXPECT_EQ(sql(Sybase, "Kunde", 0, {"Vor name"}), "refused: ungültiger Name");
    for (ServerKind k : {MySQL, Oracle, DB2})
        EXPECT_EQ(sql(k, "Kunde", 0), "");
}

}  // namespace

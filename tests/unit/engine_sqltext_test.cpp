#include "common/MemoryAccessDatabase.h"
#include "engine/InsertText.h"
#include "engine/LookupText.h"
#include "engine/SqlText.h"
#include "engine/TypeMap.h"

#include <gtest/gtest.h>

// What the sample's conversion sends on every server kind is held by the statement recording;
// the cases here are the rules and values the sample does not reach.
using namespace engine;
using testsupport::field;
namespace val = testsupport::val;
namespace ty = accessdb::type;

namespace {
TextOptions opts(ServerKind k, bool default0 = false, bool blank = false)
{
    TextOptions o;
    o.kind = k;
    o.default0 = default0;
    o.defaultBlank = blank;
    return o;
}
const ServerKind MSSQL = ServerKind::MSSQL, MySQL = ServerKind::MySQL, Oracle = ServerKind::Oracle,
                 Sybase = ServerKind::Sybase, DB2 = ServerKind::DB2;

// One value's part alone; the copy appends it behind what the row holds so far.
struct InsertValue {
    bool include = false;
    QString text;
};
InsertValue insertValue(const accessdb::Field& f, const accessdb::Value& v, const TextOptions& o,
                        const accessdb::Value* dateOfRecord = nullptr)
{
    TextBuffer out = u"(1,";
    const bool include = appendInsertValue(out, f, v, o, dateOfRecord);
    if (!include) {
        EXPECT_EQ(toQString(out), "(1,") << "a value left out must not leave text behind";
    }
    return {include, toQString(out).mid(3)};
}
}  // namespace

TEST(EngineSqlText, TypesPerServerKind)
{
    // Rows: Access type; columns: MS SQL, Sybase, MySQL, Oracle, DB2.
    struct Row {
        int type;
        const char* t[5];
    } rows[] = {
        {ty::Boolean, {"BIT", "BIT", "BIT", "FLOAT", "SMALLINT"}},
        {ty::Byte, {"SMALLINT", "SMALLINT", "SMALLINT", "DECIMAL", "SMALLINT"}},
        {ty::Integer, {"SMALLINT", "SMALLINT", "SMALLINT", "DECIMAL", "SMALLINT"}},
        {ty::Long, {"INT", "INT", "INT", "INT", "INTEGER"}},
        {ty::Currency, {"MONEY", "MONEY", "MONEY", "MONEY", "MONEY"}},
        {ty::Single, {"REAL", "REAL", "REAL", "REAL", "REAL"}},
        {ty::Double, {"FLOAT", "FLOAT", "DOUBLE", "FLOAT", "DOUBLE"}},
        {ty::DateTime, {"DATETIME", "DATETIME", "DATETIME", "TIMESTAMP", "TIMESTAMP"}},
        {ty::Text, {"VARCHAR(50)", "VARCHAR(50)", "VARCHAR(50)", "VARCHAR(50)", "VARCHAR(50)"}},
        {ty::LongBinary, {"IMAGE", "IMAGE", "IMAGE", "IMAGE", "IMAGE"}},
        {ty::Memo, {"TEXT", "TEXT", "TEXT", "CLOB", "CLOB(4194304)"}},
        {ty::Guid, {"VARBINARY(16)", "VARBINARY(16)", "VARBINARY(16)", "VARBINARY(16)", "VARBINARY(16)"}},
    };
    const ServerKind kinds[] = {MSSQL, Sybase, MySQL, Oracle, DB2};
    for (const Row& r : rows)
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(sqlType(field("f", r.type, 50), opts(kinds[k])), QLatin1String(r.t[k]))
                << "type " << r.type << " kind " << k;

    TextOptions sibling = opts(Oracle);
    sibling.fremdDsn = true;
    EXPECT_EQ(sqlType(field("f", ty::Integer), sibling), "FLOAT");
    EXPECT_EQ(sqlType(field("f", ty::Long), sibling), "FLOAT");
    sibling.kind = DB2;
    EXPECT_EQ(sqlType(field("f", ty::Memo), sibling), "VARCHAR(2000)");
    TextOptions onLinux = opts(Sybase);
    onLinux.linuxBox = true;
    EXPECT_EQ(sqlType(field("f", ty::Double), onLinux), "DECIMAL");
}

TEST(EngineSqlText, SqlDefaultQuotingAndFallbacks)
{
    const TextOptions ms = opts(MSSQL);
    EXPECT_EQ(SQLDefault(field("a", ty::Text, 10, false, "\"abc\""), true, ms), "'abc'");
    EXPECT_EQ(SQLDefault(field("a", ty::Text, 10, false, "\"abc\""), false, ms), "abc");
    EXPECT_EQ(SQLDefault(field("a", ty::Text, 10, false, "\"\""), true, ms), "' '");
    EXPECT_EQ(SQLDefault(field("a", ty::Text, 10, false, "\"O'Hara\""), true, ms), "'O''Hara'");
    EXPECT_EQ(SQLDefault(field("a", ty::Boolean, 1, false, "YeS"), true, ms), "1");
    EXPECT_EQ(SQLDefault(field("a", ty::Boolean, 1, false, "True"), true, ms), "0");
    EXPECT_EQ(SQLDefault(field("a", ty::Boolean, 1, false, "-1"), true, ms), "0");
    EXPECT_EQ(SQLDefault(field("a", ty::Boolean), true, ms), "0");
    EXPECT_EQ(SQLDefault(field("a", ty::Long, 4, false, "7"), true, ms), "7");

    // Default "0" for numbers, but not for Currency.
    EXPECT_EQ(SQLDefault(field("a", ty::Long), true, opts(MSSQL, true)), "0");
    EXPECT_EQ(SQLDefault(field("a", ty::Currency), true, opts(MSSQL, true)), "");
    // Default blank: Text always, Date/Time except on Oracle, never on DB2.
    EXPECT_EQ(SQLDefault(field("a", ty::Text, 5), true, opts(MSSQL, false, true)), "' '");
    EXPECT_EQ(SQLDefault(field("a", ty::Text, 5), false, opts(MSSQL, false, true)), " ");
    EXPECT_EQ(SQLDefault(field("a", ty::DateTime), true, opts(Sybase, false, true)), "' '");
    EXPECT_EQ(SQLDefault(field("a", ty::DateTime), true, opts(Oracle, false, true)), "");
    EXPECT_EQ(SQLDefault(field("a", ty::DateTime), true, opts(DB2, false, true)), "");
    EXPECT_EQ(SQLDefault(field("a", ty::DateTime, 8, false, "#1/2/2000#"), true, opts(DB2)), "");
    EXPECT_EQ(SQLDefault(field("a", ty::Memo), true, opts(MSSQL, false, true)), "");
}

TEST(EngineSqlText, DefaultAndNullClauses)
{
    EXPECT_EQ(defaultClause(field("a", ty::Long), opts(MSSQL, true)), "DEFAULT 0");
    EXPECT_EQ(defaultClause(field("a", ty::Currency), opts(MSSQL, true)), "");
    EXPECT_EQ(defaultClause(field("a", ty::DateTime), opts(MSSQL, false, true)), "DEFAULT ' '");
    EXPECT_EQ(defaultClause(field("a", ty::DateTime), opts(MySQL, false, true)), "");
    EXPECT_EQ(defaultClause(field("a", ty::Memo, 0, false, "\"x\""), opts(MySQL)), "");
    EXPECT_EQ(defaultClause(field("a", ty::Text, 5, false, "\"x\""), opts(DB2)), "WITH DEFAULT 'x'");

    EXPECT_EQ(nullClause(field("a", ty::Text, 5), opts(DB2), {}), "");
    EXPECT_EQ(nullClause(field("a", ty::Text, 5), opts(MSSQL), {}), "NULL");
    EXPECT_EQ(nullClause(field("a", ty::Text, 5, true), opts(DB2), {}), "NOT NULL");
    EXPECT_EQ(nullClause(field("a", ty::Boolean), opts(MSSQL), {}), "NOT NULL");
    EXPECT_EQ(nullClause(field("Nr", ty::Long), opts(DB2), {"x", "NR"}), "NOT NULL");
}

TEST(EngineSqlText, ColumnNamesPerKind)
{
    EXPECT_EQ(columnNameText("Ort", "T", opts(DB2)), "Ort");
    EXPECT_EQ(columnNameText("Ort", "F5SB90R", opts(DB2)), "\"Ort\"");
    EXPECT_EQ(columnNameText("Ort", "f5sb90r", opts(DB2)), "Ort");
    EXPECT_EQ(columnNameText("check", "T", opts(Oracle)), "\"CHECK\"");
    EXPECT_EQ(columnNameText("check", "T", opts(DB2)), "check");
    EXPECT_EQ(insertColumnName("check", opts(Oracle)), "\"CHECK\"");
    EXPECT_EQ(insertColumnName("auftragsbestätigung_französisch", opts(DB2)), "AuftragsbestätigungFranzösisch");
    EXPECT_EQ(insertColumnName("Auftragsbestätigung_Französisch", opts(MSSQL)), "\"Auftragsbestätigung_Französisch\"");
    EXPECT_EQ(
        joinTableStatement({"CREATE TABLE T ", "(", " AUFTRAGSBESTÄTIGUNG_FRANZÖSISCH INT  NULL ", ")"}, opts(Oracle)),
        "CREATE TABLE T ( AuftragsbestätigungFranzösisch INT  NULL )");
}

TEST(EngineSqlText, KeyFieldsFromIndexesRelationsAndUniqueIndex)
{
    accessdb::TableDef t;
    t.name = "Pos";
    t.indexes = {testsupport::index("Suchname", {"Name"}, false, true), testsupport::index("PrimaryKey", {"Nr", "nr"})};
    EXPECT_EQ(keyFields(t, {}), QStringList({"Nr"}));

    t.indexes = {testsupport::index("A", {"Name"}), testsupport::index("B", {"Ort", "Plz"}, false, true),
                 testsupport::index("C", {"X"}, false, true)};
    EXPECT_EQ(keyFields(t, {}), QStringList({"Ort", "Plz"}));

    accessdb::Relation oneToOne{"r1", "Kopf", "pos", accessdb::kRelationUnique, {{"Nr", "KopfNr"}}};
    accessdb::Relation many{"r2", "Kopf", "Pos", 0, {{"Nr", "Nr2"}}};
    accessdb::Relation primarySide{"r3", "POS", "Other", 0, {{"Id", "PosId"}}};
    EXPECT_EQ(keyFields(t, {many}), QStringList({"Ort", "Plz"}));
    EXPECT_EQ(keyFields(t, {oneToOne, primarySide}), QStringList({"KopfNr", "Id"}));
}

TEST(EngineSqlText, ConstraintAndOracleNamesFromFirstAndLastCharacters)
{
    const QString t = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30 characters
    EXPECT_EQ(keyConstraintBaseName(t, opts(Oracle)), "primABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(keyConstraintBaseName(t, opts(DB2)), "primABCDEFGHIJKLMN");
    // MS SQL asks for a suffix when the constraint's name is taken.
    EXPECT_EQ(newIdHexQuery(), "SELECT REPLACE(CONVERT(VARCHAR(36), NEWID()), '-', '')");
    EXPECT_EQ(oracleTriggerName(t), "TRG_EFGHIJKLMNOPQRSTUVWXYZ0123");
    const QDateTime when(QDate(2004, 3, 7), QTime(14, 30, 5));
    EXPECT_EQ(timeStamp12(when), "040307143005");
    EXPECT_EQ(oracleSequenceName("Kunden", when), "SEQ_Kunden040307143005");
    EXPECT_EQ(oracleSequenceName(t, when), "SEQ_QRSTUVWXYZ0123040307143005");
}

TEST(EngineSqlText, IndexStatementsPerKind)
{
    const accessdb::Index such = testsupport::index("Suchname", {"Name", "Ort"});
    const QDateTime when(QDate(2004, 3, 7), QTime(14, 30, 5));
    qint32 counter = 1;
    EXPECT_EQ(indexStatementLines("Kunden", such, opts(Sybase), counter, when),
              QStringList({"CREATE INDEX Suchname ON Kunden", "(Name", ",Ort", ")"}));
    EXPECT_EQ(counter, 1);  // Sybase and MySQL do not number
    EXPECT_EQ(indexStatementLines("Kunden", such, opts(Oracle), counter, when).first(),
              "CREATE INDEX \"002KundenSuchname040307143005\" ON Kunden");
    EXPECT_EQ(indexStatementLines("Kunden", such, opts(DB2), counter, when).first(),
              "CREATE INDEX \"003Suchname\" ON Kunden");
    EXPECT_EQ(indexStatementLines("T", testsupport::index("Ort-Name", {"Ort"}), opts(MySQL), counter, when).first(),
              "CREATE INDEX Ort_Name ON T");
    // Long names keep their last 30 characters; DB2 only 15 of them.
    const accessdb::Index longName = testsupport::index("ix_0123456789_abcdefghij_KLMNOPQRST", {"a"});
    EXPECT_EQ(indexStatementLines("T", longName, opts(MSSQL), counter, when).first(),
              "CREATE INDEX \"23456789_abcdefghij_KLMNOPQRST\" ON T");
    EXPECT_EQ(indexStatementLines("T", longName, opts(DB2), counter, when).first(),
              "CREATE INDEX \"00523456789_abcdef\" ON T");
    counter = 999;
    EXPECT_TRUE(
        indexStatementLines("T", such, opts(Oracle), counter, when).first().startsWith("CREATE INDEX \"1000TSuchname"));
}

TEST(EngineSqlText, ShareTestSplitsRecordsAmongMachines)
{
    auto mine = [](int max, int mod) {
        QList<int> r;
        for (int c = 1; c <= 9; ++c)
            if (isThisMachinesRecord(c, max, mod))
                r << c;
        return r;
    };
    EXPECT_EQ(mine(1, 1), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(mine(2, 1), QList<int>({1, 3, 5, 7, 9}));
    EXPECT_EQ(mine(2, 2), QList<int>({2, 4, 6, 8}));
    EXPECT_EQ(mine(3, 1), QList<int>({2, 5, 8}));
    EXPECT_EQ(mine(3, 2), QList<int>({1, 4, 7}));
    EXPECT_EQ(mine(3, 3), QList<int>({3, 6, 9}));
}

TEST(EngineSqlText, InsertValuesPerTypeAndKind)
{
    const accessdb::Field text = field("Name", ty::Text, 30);
    const accessdb::Field dbl = field("Wert", ty::Double);
    const accessdb::Field date = field("Datum", ty::DateTime);
    EXPECT_EQ(insertValue(text, val::text(QString("a") + QChar(0) + "b"), opts(MSSQL)).text, "'a b'");
    EXPECT_EQ(insertValue(text, val::text(QString("It") + QChar(0x2019) + "s"), opts(Sybase)).text, "'Its'");
    EXPECT_EQ(insertValue(text, val::text(QString("It") + QChar(0x2019) + "s"), opts(MySQL)).text,
              QString("'It") + QChar(0x2019) + "s'");
    EXPECT_EQ(insertValue(text, val::text(""), opts(MSSQL)).text, "''");
    EXPECT_FALSE(insertValue(text, val::null(), opts(MSSQL)).include);
    EXPECT_EQ(insertValue(text, val::null(), opts(MSSQL, false, true)).text, "' '");
    // Numbers as the old run time printed them, always with a decimal point; a missing one's
    // stand-in is the Access default as it stands, its comma a point.
    const struct {
        accessdb::Field field;
        accessdb::Value value;
        const char* expected;
    } numbers[] = {
        {dbl, val::real(3.5), "3.5"},
        {dbl, val::real(-1.25e20), "-1.25E+20"},
        {dbl, val::real(0.1 + 0.2), "0.30000000000000004"},
        {field("s", ty::Single), val::real(double(0.15f)), "0.15"},
        {field("c", ty::Currency), val::integer(-35001), "-3.5001"},
        {field("l", ty::Long), val::integer(-2147483647 - 1), "-2147483648"},
        {field("x", ty::Complex), val::integer(12), "12"},
        {field("w", ty::Double, 8, false, "1,5"), val::null(), "1.5"},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(insertValue(n.field, n.value, opts(MSSQL)).text, n.expected) << n.expected;
    EXPECT_EQ(insertValue(dbl, val::null(), opts(MSSQL, true)).text, "0");
    EXPECT_EQ(insertValue(field("b", ty::Boolean), val::text("True"), opts(MSSQL)).text, "0");
    EXPECT_EQ(insertValue(field("b", ty::Boolean), val::null(), opts(MSSQL)).text, "0");

    // Years below 1000 keep their value, zero-padded to four digits, in every date text.
    EXPECT_EQ(insertValue(date, val::date(632, 1, 2), opts(MSSQL)).text, "'06320102'");
    EXPECT_EQ(insertValue(date, val::date(100, 12, 31), opts(Oracle)).text, "TIMESTAMP'0100-12-31 00:00:00'");
    EXPECT_EQ(insertValue(date, val::date(1000, 1, 1), opts(DB2)).text, "'1000-01-01-00.00.00'");
    const accessdb::Value earlyDate = val::date(999, 5, 6);
    EXPECT_EQ(insertValue(date, val::date(1899, 12, 30, 8, 0, 0), opts(MySQL), &earlyDate).text,
              "'0999-05-06 08:00:00'");
    // Quotes, NUL characters and commas together, in the middle and at both ends.
    EXPECT_EQ(insertValue(text, val::text(QString("'a") + QChar(0) + "'',b'"), opts(MSSQL)).text, "'''a '''',b'''");
    // A missing date whose stand-in is the blank default is left to the column's default; one
    // whose stand-in is no date at all (an expression the server would store as text) is NULL.
    EXPECT_FALSE(insertValue(date, val::null(), opts(MSSQL, false, true)).include);
    EXPECT_EQ(insertValue(field("Datum", ty::DateTime, 8, false, "=Date()"), val::null(), opts(MSSQL)).text, "NULL");
    const accessdb::Field dated = field("Datum", ty::DateTime, 8, false, "#12/24/2003#");
    EXPECT_EQ(insertValue(dated, val::null(), opts(MSSQL)).text, "'20031224'");

    // A time of day joined with the record's date.
    const accessdb::Value zeit = val::date(1899, 12, 30, 14, 30, 0);
    const accessdb::Value datum = val::date(2004, 3, 7);
    EXPECT_EQ(insertValue(date, zeit, opts(MSSQL), &datum).text, "'20040307 14:30:00'");
    EXPECT_EQ(insertValue(date, zeit, opts(MySQL), &datum).text, "'2004-03-07 14:30:00'");
    EXPECT_EQ(insertValue(date, zeit, opts(Oracle), &datum).text, "TIMESTAMP'2004-03-07 14:30:00'");
    EXPECT_EQ(insertValue(date, zeit, opts(DB2), &datum).text, "'2004-03-07-14.30.00'");

    // SQLite reads only X'..' as bytes, whatever server kind the statements are written for.
    for (ServerKind k : {MSSQL, Sybase, MySQL, Oracle, DB2}) {
        TextOptions o = opts(k);
        o.sqliteTarget = true;
        EXPECT_EQ(insertValue(field("g", ty::Guid), val::bytes("\x01\xab"), o).text, "X'01AB'");
    }
    TextBuffer statement;
    appendInsertStatement(statement, "T", u"(\"a\",\"b\"", u"(1,'x'");
    EXPECT_EQ(toQString(statement), "INSERT INTO T (\"a\",\"b\") VALUES (1,'x')");
}

// Query texts rebuilt from MSysQueries rows, as Access shows them in SQL view.
#include "dataaccess/mdb/QueryText.h"

#include <gtest/gtest.h>

using accessdb::mdb::QueryRow;
using accessdb::mdb::queryText;
namespace q = accessdb::mdb::query;

namespace {

QueryRow row(int attribute, quint32 order, int flag = 0, const QString& name1 = {}, const QString& name2 = {},
             const QString& expression = {})
{
    QueryRow r;
    r.attribute = attribute;
    r.order = order;
    r.flag = flag;
    r.name1 = name1;
    r.name2 = name2;
    r.expression = expression;
    return r;
}

// The frame every stored query has: start, kind, select flags, end.
QList<QueryRow> frame(int kind, int selectFlags = 0, const QString& typeName1 = {}, const QString& typeName2 = {},
                      const QString& typeExpression = {})
{
    return {row(q::Start, 1), row(q::Type, 1, kind, typeName1, typeName2, typeExpression),
            row(q::SelectFlags, 1, selectFlags), row(q::End, 1)};
}

QString lines(std::initializer_list<const char*> parts)
{
    QStringList l;
    for (const char* p : parts)
        l << QString::fromUtf8(p);
    return l.join(QStringLiteral("\r\n"));
}

}  // namespace

TEST(MdbQueryText, RowsAreTakenInAttributeAndOrderSequence)
{
    // Stored out of order; Order values above 255 compare as numbers.
    QList<QueryRow> rows = {row(q::Column, 0x100, 0, {}, {}, "B.Zweite"), row(q::End, 1),
                            row(q::Table, 1, 0, "B"),                     row(q::Column, 0xFF, 0, {}, {}, "B.Erste"),
                            row(q::OrderBy, 2, 0, "D", {}, "B.Zweite"),  row(q::OrderBy, 1, 0, {}, {}, "B.Erste"),
                            row(q::Type, 1, q::Select),                   row(q::Start, 1)};
    EXPECT_EQ(queryText(rows), lines({"SELECT B.Erste, B.Zweite", "FROM B", "ORDER BY B.Erste, B.Zweite DESC;"}));
}

TEST(MdbQueryText, JoinsNestInTheOrderTheyAreStored)
{
    auto base = frame(q::Select);
    base << row(q::Column, 1, 0, {}, {}, "A.x") << row(q::Table, 1, 0, "A") << row(q::Table, 2, 0, "B")
         << row(q::Table, 3, 0, "C");
    auto leftDeep = base;
    leftDeep << row(q::Join, 1, 1, "A", "B", "A.id = B.id") << row(q::Join, 2, 2, "B", "C", "B.k = C.k");
    EXPECT_EQ(queryText(leftDeep),
              lines({"SELECT A.x", "FROM (A INNER JOIN B ON A.id = B.id) LEFT JOIN C ON B.k = C.k;"}));
    auto rightDeep = base;
    rightDeep << row(q::Join, 1, 3, "B", "C", "B.k = C.k") << row(q::Join, 2, 1, "A", "B", "A.id = B.id");
    EXPECT_EQ(queryText(rightDeep),
              lines({"SELECT A.x", "FROM A INNER JOIN (B RIGHT JOIN C ON B.k = C.k) ON A.id = B.id;"}));
    // Two joined groups joined with each other: both sides parenthesised.
    auto both = base;
    both << row(q::Table, 4, 0, "D") << row(q::Join, 1, 1, "A", "B", "A.id = B.id")
         << row(q::Join, 2, 1, "C", "D", "C.id = D.id") << row(q::Join, 3, 1, "B", "C", "B.k = C.k");
    EXPECT_EQ(queryText(both), lines({"SELECT A.x", "FROM (A INNER JOIN B ON A.id = B.id) INNER JOIN (C INNER JOIN D "
                                      "ON C.id = D.id) ON B.k = C.k;"}));
    // A table no join mentions stays in the list.
    auto loose = base;
    loose << row(q::Join, 1, 1, "A", "C", "A.id = C.id");
    EXPECT_EQ(queryText(loose), lines({"SELECT A.x", "FROM A INNER JOIN C ON A.id = C.id, B;"}));
}

TEST(MdbQueryText, NamesWithOtherCharactersAreBracketed)
{
    auto rows = frame(q::Select);
    rows << row(q::Table, 1, 0, "Order Details", "OD") << row(q::Table, 2, 0, QStringLiteral("Umsätze"))
         << row(q::Column, 1, 0, "Ex Tax", {}, "[Cost]/1.22") << row(q::Column, 2, 0, "Netto_1", {}, "OD.Price")
         << row(q::Join, 1, 1, "OD", QStringLiteral("Umsätze"), QStringLiteral("OD.OrderID = Umsätze.OrderID"));
    EXPECT_EQ(queryText(rows),
              QStringLiteral("SELECT [Cost]/1.22 AS [Ex Tax], OD.Price AS Netto_1\r\nFROM [Order Details] AS OD "
                             "INNER JOIN Umsätze ON OD.OrderID = Umsätze.OrderID;"));
}

TEST(MdbQueryText, SelectPredicatesParametersAndOwnerAccess)
{
    auto rows = frame(q::Select, 0x02 | 0x10 | 0x20 | 0x04);
    rows[2].name1 = "25";
    rows << row(q::Parameter, 1, 10, "Ab Datum") << row(q::Parameter, 2, 4, "Nr") << row(q::Table, 1, 0, "T")
         << row(q::Column, 1, 0, {}, {}, "T.a") << row(q::Where, 1, 0, {}, {}, "T.a>[Nr]")
         << row(q::GroupBy, 1, 0, {}, {}, "T.a") << row(q::Having, 1, 0, {}, {}, "Count(*)>1");
    EXPECT_EQ(queryText(rows), lines({"PARAMETERS [Ab Datum] Text, Nr Long;", "SELECT DISTINCT TOP 25 PERCENT T.a",
                                      "FROM T", "WHERE T.a>[Nr]", "GROUP BY T.a", "HAVING Count(*)>1",
                                      "WITH OWNERACCESS OPTION;"}));
    auto star = frame(q::Select, 0x01 | 0x08);
    star << row(q::Table, 1, 0, "T");
    EXPECT_EQ(queryText(star), lines({"SELECT DISTINCTROW *", "FROM T;"}));
}

TEST(MdbQueryText, UnionAndCrosstab)
{
    auto all = frame(q::Union);
    all << row(q::Table, 1, 0, {}, "X1", "SELECT a FROM T\r\n") << row(q::Table, 2, 0, {}, "X2", "SELECT a FROM U;");
    EXPECT_EQ(queryText(all), lines({"SELECT a FROM T", "UNION ALL SELECT a FROM U;"}));
    auto plain = frame(q::Union, 0x02);
    plain << row(q::Table, 1, 0, {}, "X1", "SELECT a FROM T") << row(q::Table, 2, 0, {}, "X2", "SELECT a FROM U")
          << row(q::OrderBy, 1, 0, {}, {}, "a");
    EXPECT_EQ(queryText(plain), lines({"SELECT a FROM T", "UNION SELECT a FROM U", "ORDER BY a;"}));

    auto cross = frame(q::Crosstab);
    cross << row(q::Table, 1, 0, "T") << row(q::Column, 1, 2, {}, {}, "T.Kunde")
          << row(q::Column, 2, 1, "Jahre", {}, "Year([Datum])") << row(q::Column, 3, 0, "Summe", {}, "Sum(T.Betrag)")
          << row(q::GroupBy, 1, 2, {}, {}, "T.Kunde") << row(q::GroupBy, 2, 1, {}, {}, "Year([Datum])");
    EXPECT_EQ(queryText(cross), lines({"TRANSFORM Sum(T.Betrag) AS Summe", "SELECT T.Kunde", "FROM T",
                                       "GROUP BY T.Kunde", "PIVOT Year([Datum]);"}));
}

TEST(MdbQueryText, ActionQueries)
{
    auto make = frame(q::MakeTable, 0, "Archiv", "C:\\Alt\\Archiv.mdb");
    make << row(q::Table, 1, 0, "Orders") << row(q::Column, 1, 0, {}, {}, "Orders.*")
         << row(q::Where, 1, 0, {}, {}, "(((Orders.OrderDate)<#1/1/94#))");
    EXPECT_EQ(queryText(make), lines({"SELECT Orders.* INTO Archiv IN 'C:\\Alt\\Archiv.mdb'", "FROM Orders",
                                      "WHERE (((Orders.OrderDate)<#1/1/94#));"}));

    auto append = frame(q::Append, 0, "Order Archive");
    append << row(q::Table, 1, 0, "Orders") << row(q::Column, 1, 0, {}, "OrderID", "Orders.OrderID")
           << row(q::Column, 2, 0, {}, "Datum", "Orders.OrderDate");
    EXPECT_EQ(queryText(append), lines({"INSERT INTO [Order Archive] ( OrderID, Datum )",
                                        "SELECT Orders.OrderID, Orders.OrderDate", "FROM Orders;"}));

    auto update = frame(q::Update);
    update << row(q::Table, 1, 0, "Products") << row(q::Column, 1, 0, {}, "Products.UnitPrice", "[UnitPrice]*1.1")
           << row(q::Where, 1, 0, {}, {}, "(((Products.Discontinued)=No))");
    EXPECT_EQ(queryText(update), lines({"UPDATE Products SET Products.UnitPrice = [UnitPrice]*1.1",
                                        "WHERE (((Products.Discontinued)=No));"}));

    auto del = frame(q::Delete);
    del << row(q::Table, 1, 0, "Orders") << row(q::Column, 1, 0, {}, {}, "Orders.*")
        << row(q::Where, 1, 0, {}, {}, "Orders.ShippedDate Is Null");
    EXPECT_EQ(queryText(del), lines({"DELETE Orders.*", "FROM Orders", "WHERE Orders.ShippedDate Is Null;"}));

    // Data definition and pass-through keep their stored text unchanged.
    EXPECT_EQ(queryText(frame(q::Ddl, 0, {}, {}, "CREATE TABLE Neu (Nr LONG);")), "CREATE TABLE Neu (Nr LONG);");
    EXPECT_EQ(queryText(frame(q::PassThrough, 0, "ODBC;DSN=x", {}, "exec sp_who")), "exec sp_who");
}

TEST(MdbQueryText, KindFromTheObjectFlagsWhenTheTypeRowIsMissing)
{
    QList<QueryRow> rows = {row(q::Start, 1), row(q::Table, 1, 0, {}, "X1", "SELECT 1 FROM T"),
                            row(q::Table, 2, 0, {}, "X2", "SELECT 2 FROM T"), row(q::End, 1)};
    EXPECT_EQ(queryText(rows, 0x80), lines({"SELECT 1 FROM T", "UNION ALL SELECT 2 FROM T;"}));
    EXPECT_EQ(queryText({}), QString());
}

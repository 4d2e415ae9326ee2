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
    return {attribute, order, flag, name1, name2, expression};
}

// The frame every stored query has: start, kind, select flags, end.
QList<QueryRow> frame(int kind, int selectFlags = 0, const QString& typeName1 = {}, const QString& typeName2 = {},
                      const QString& typeExpression = {})
{
    return {row(q::Start, 1), row(q::Type, 1, kind, typeName1, typeName2, typeExpression),
            row(q::SelectFlags, 1, selectFlags), row(q::End, 1)};
}

QString lines(const QStringList& parts) { return parts.join(QStringLiteral("\r\n")); }

}  // namespace

// The kinds the sample database lacks (its plain UNION and crosstab are read in MdbNwindQueries).
TEST(MdbQueryText, UnionAllAndActionQueries)
{
    auto all = frame(q::Union);
    all << row(q::Table, 1, 0, {}, "X1", "SELECT a FROM T\r\n") << row(q::Table, 2, 0, {}, "X2", "SELECT a FROM U;");
    EXPECT_EQ(queryText(all), lines({"SELECT a FROM T", "UNION ALL SELECT a FROM U;"}));

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

// The Access layer against the public sample files: what Access itself lists for them.
#include "common/Fixtures.h"
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

#include <QRegularExpression>
#include <QSet>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Each index as "name(fields)", "+" for primary, "!" for unique.
QStringList indexList(const accessdb::TableDef& t)
{
    QStringList out;
    for (const accessdb::Index& ix : t.indexes)
        out << ix.name + (ix.primary ? "+" : "") + (ix.unique ? "!" : "") + "(" + ix.fields.join(',') + ")";
    return out;
}

}  // namespace

TEST(MdbNwind, IndexesAndRelationsAsAccessListsThem)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    // The foreign side of a relationship names its own field; the primary side carries no hidden
    // back-reference indexes; a key over two fields keeps their order.
    QStringList orders = indexList(db->tableDef(QStringLiteral("Orders")));
    EXPECT_EQ(orders.filter(QRegularExpression("^(PrimaryKey|ShippersOrders)")),
              (QStringList{"PrimaryKey+!(OrderID)", "ShippersOrders(ShipVia)"}));
    EXPECT_EQ(orders.replaceInStrings(QRegularExpression("[(+!].*"), ""),
              (QStringList{"CustomerID", "CustomersOrders", "EmployeeID", "EmployeesOrders", "OrderDate", "PrimaryKey",
                           "ShippedDate", "ShippersOrders", "ShipPostalCode"}));
    EXPECT_TRUE(indexList(db->tableDef(QStringLiteral("Customers"))).filter(QRegularExpression("^\\.")).isEmpty());
    EXPECT_TRUE(indexList(db->tableDef(QStringLiteral("Order Details"))).contains("PrimaryKey+!(OrderID,ProductID)"));

    QStringList relations;
    for (const accessdb::Relation& r : db->relations()) {
        relations << QStringLiteral("%1 %2->%3 %4").arg(r.name).arg(r.table, r.foreignTable).arg(r.attributes);
        ASSERT_EQ(r.fields.size(), 1) << r.name.toStdString();
        if (r.name == "ShippersOrders") {
            EXPECT_EQ(r.fields[0].name + "=" + r.fields[0].foreignName, "ShipperID=ShipVia");
        }
    }
    relations.sort();
    EXPECT_EQ(relations.join('|'),
              QStringLiteral("CategoriesProducts Categories->Products 0|CustomersOrders Customers->Orders %1|"
                             "EmployeesOrders Employees->Orders 0|OrdersOrder Details Orders->Order Details %2|"
                             "ProductsOrder Details Products->Order Details 0|ShippersOrders Shippers->Orders 0|"
                             "SuppliersProducts Suppliers->Products 0")
                  .arg(accessdb::kRelationCascadeUpdate)
                  .arg(accessdb::kRelationCascadeDelete));
}

TEST(MdbNwind, RecordCountIsTheTotalAfterMoveLastAndMovesGoBothWays)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    for (const auto& [table, total] :
         {std::pair{QStringLiteral("Order Details"), 2155L}, std::pair{QStringLiteral("Orders"), 830L},
          std::pair{QStringLiteral("Umsätze"), 830L}}) {
        SCOPED_TRACE(table.toStdString());
        auto rs = db->openRecordset(table);
        EXPECT_FALSE(rs->eof());
        EXPECT_EQ(rs->recordCount(), 1);  // only the first record is known after opening
        rs->moveLast();
        EXPECT_EQ(rs->recordCount(), total);
        EXPECT_FALSE(rs->eof());
        rs->moveNext();
        EXPECT_TRUE(rs->eof());
        long rows = 0;  // every value of every row decodes
        for (auto all = db->openRecordset(table); !all->eof(); all->moveNext(), ++rows)
            for (int i = 0; i < all->fieldCount(); ++i)
                all->value(i);
        EXPECT_EQ(rows, total);
    }
    // Empty table: EOF at once and a count below 1.
    auto empty = db->openRecordset(QStringLiteral("MSysIMEXSpecs"));
    EXPECT_TRUE(empty->eof());
    EXPECT_LT(empty->recordCount(), 1);

    // Moving back and forth.
    auto rs = db->openRecordset(QStringLiteral("Shippers"));
    ASSERT_EQ(rs->fieldCount(), 3);
    EXPECT_EQ(rs->field(0).name, "ShipperID");
    const QString first = rs->value(1).text;
    rs->moveLast();
    const QString last = rs->value(1).text;
    EXPECT_NE(first, last);
    rs->moveFirst();
    EXPECT_EQ(rs->value(1).text, first);
    EXPECT_EQ(rs->recordCount(), 3);  // what was seen stays known
    rs->moveNext();
    rs->moveNext();
    EXPECT_EQ(rs->value(1).text, last);
    rs->moveNext();
    ASSERT_TRUE(rs->eof());
    for (auto step : {std::function<void()>([&] { rs->value(0); }), std::function<void()>([&] { rs->moveNext(); })}) {
        try {
            step();
            FAIL() << "no error without a current record";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::err::AccessNoCurrentRecord);
        }
    }
    rs->close();
    EXPECT_THROW(rs->moveFirst(), rt::RuntimeError);
    auto closed = db->openRecordset(QStringLiteral("Shippers"));  // closed on its first record
    closed->close();
    EXPECT_TRUE(closed->eof());
    EXPECT_THROW(db->openRecordset(QStringLiteral("Nirgends")), rt::RuntimeError);
}

// The Access layer against the public sample files: what Access itself lists for them.
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "common/Fixtures.h"

#include <QMap>
#include <QSet>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Reads every column of every row; returns the row count.
long readAllRows(accessdb::Database& db, const QString& table)
{
    long rows = 0;
    auto rs = db.openRecordset(table);
    for (; !rs->eof(); rs->moveNext(), ++rows)
        for (int i = 0; i < rs->fieldCount(); ++i)
            rs->value(i);
    return rows;
}

}  // namespace

TEST(MdbNwind, OrdersIndexesAsAccessListsThem)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    const accessdb::TableDef& orders = db->tableDef(QStringLiteral("Orders"));
    QStringList names;
    QStringList primary;
    for (const accessdb::Index& ix : orders.indexes) {
        names << ix.name;
        if (ix.primary)
            primary << ix.name;
    }
    EXPECT_EQ(names, (QStringList{"CustomerID", "CustomersOrders", "EmployeeID", "EmployeesOrders", "OrderDate",
                                  "PrimaryKey", "ShippedDate", "ShippersOrders", "ShipPostalCode"}));
    EXPECT_EQ(primary, QStringList{"PrimaryKey"});
    for (const accessdb::Index& ix : orders.indexes) {
        if (ix.name == "PrimaryKey") {
            EXPECT_TRUE(ix.unique);
            EXPECT_EQ(ix.fields, QStringList{"OrderID"});
        } else {
            EXPECT_FALSE(ix.unique) << ix.name.toStdString();
        }
        if (ix.name == "ShippersOrders") {   // the foreign side of a relationship names its own field
            EXPECT_EQ(ix.fields, QStringList{"ShipVia"});
        }
    }
    // The primary side carries no hidden back-reference indexes.
    for (const accessdb::Index& ix : db->tableDef(QStringLiteral("Customers")).indexes)
        EXPECT_FALSE(ix.name.startsWith(u'.')) << ix.name.toStdString();
    // A key over two fields keeps their order.
    const accessdb::TableDef& details = db->tableDef(QStringLiteral("Order Details"));
    bool found = false;
    for (const accessdb::Index& ix : details.indexes)
        if (ix.primary) {
            found = true;
            EXPECT_EQ(ix.fields, (QStringList{"OrderID", "ProductID"}));
        }
    EXPECT_TRUE(found);
}

TEST(MdbNwind, SevenRelationsWithAttributesAndFieldPairs)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    ASSERT_EQ(db->relations().size(), 7);
    QMap<QString, qint32> attributes;
    for (const accessdb::Relation& r : db->relations())
        attributes.insert(r.name, r.attributes);
    EXPECT_EQ(attributes.value("CustomersOrders"), accessdb::kRelationCascadeUpdate);
    EXPECT_EQ(attributes.value("OrdersOrder Details"), accessdb::kRelationCascadeDelete);
    for (const char* n : {"CategoriesProducts", "EmployeesOrders", "ProductsOrder Details", "ShippersOrders",
                          "SuppliersProducts"})
        EXPECT_EQ(attributes.value(QString::fromUtf8(n), -1), 0) << n;
    for (const accessdb::Relation& r : db->relations()) {
        ASSERT_EQ(r.fields.size(), 1) << r.name.toStdString();
        if (r.name == "ShippersOrders") {
            EXPECT_EQ(r.table, "Shippers");
            EXPECT_EQ(r.foreignTable, "Orders");
            EXPECT_EQ(r.fields[0].name, "ShipperID");
            EXPECT_EQ(r.fields[0].foreignName, "ShipVia");
        }
        if (r.name == "OrdersOrder Details") {
            EXPECT_EQ(r.table, "Orders");
            EXPECT_EQ(r.foreignTable, "Order Details");
        }
    }
}

TEST(MdbNwind, RecordCountIsTheTotalAfterMoveLast)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    for (const auto& [table, total] : {std::pair{QStringLiteral("Order Details"), 2155L},
                                       std::pair{QStringLiteral("Orders"), 830L},
                                       std::pair{QStringLiteral("Umsätze"), 830L}}) {
        SCOPED_TRACE(table.toStdString());
        auto rs = db->openRecordset(table);
        EXPECT_FALSE(rs->eof());
        EXPECT_EQ(rs->recordCount(), 1);   // only the first record is known after opening
        rs->moveLast();
        EXPECT_EQ(rs->recordCount(), total);
        EXPECT_FALSE(rs->eof());
        rs->moveNext();
        EXPECT_TRUE(rs->eof());
        EXPECT_EQ(readAllRows(*db, table), total);
    }
    // Empty table: EOF at once and a count below 1.
    auto empty = db->openRecordset(QStringLiteral("MSysIMEXSpecs"));
    EXPECT_TRUE(empty->eof());
    EXPECT_LT(empty->recordCount(), 1);
}

TEST(MdbNwind, MovingThroughARecordSet)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    auto rs = db->openRecordset(QStringLiteral("Shippers"));
    ASSERT_EQ(rs->fieldCount(), 3);
    EXPECT_EQ(rs->field(0).name, "ShipperID");
    const QString first = rs->value(1).text;
    rs->moveLast();
    const QString last = rs->value(1).text;
    EXPECT_NE(first, last);
    rs->moveFirst();
    EXPECT_EQ(rs->value(1).text, first);
    EXPECT_EQ(rs->recordCount(), 3);   // what was seen stays known
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
    EXPECT_THROW(db->openRecordset(QStringLiteral("Nirgends")), rt::RuntimeError);
}

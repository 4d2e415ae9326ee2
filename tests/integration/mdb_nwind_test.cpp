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

const accessdb::TableDef* findTable(const accessdb::Database& db, const QString& name)
{
    for (const accessdb::TableDef& t : db.tableDefs())
        if (t.name == name)
            return &t;
    return nullptr;
}

const accessdb::Field& fieldOf(const accessdb::TableDef& t, const QString& name)
{
    for (const accessdb::Field& f : t.fields)
        if (f.name == name)
            return f;
    throw std::runtime_error("no field " + name.toStdString());
}

// The whole table as text, reading every column of every row.
QList<QStringList> allRows(accessdb::Database& db, const QString& table)
{
    QList<QStringList> out;
    auto rs = db.openRecordset(table);
    for (; !rs->eof(); rs->moveNext()) {
        QStringList row;
        for (int i = 0; i < rs->fieldCount(); ++i)
            row << (rs->value(i).isNull ? QStringLiteral("<null>") : rs->value(i).text);
        out << row;
    }
    return out;
}

}  // namespace

TEST(MdbNwind, ListsUserTablesWithoutSystemBitsAndSystemTablesWithThem)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    QStringList user;
    for (const accessdb::TableDef& t : db->tableDefs())
        if ((t.attributes & accessdb::kSystemObjectBits) == 0)
            user << t.name;
    EXPECT_EQ(user, (QStringList{"Categories", "Customers", "Employees", "Order Details", "Orders", "Products",
                                 "Shippers", "Suppliers", QStringLiteral("Umsätze")}));
    // Jet's own tables (0x80000000) and Access's (0x2) both carry the system bits.
    for (const QString& name : {QStringLiteral("MSysObjects"), QStringLiteral("MSysAccessObjects")}) {
        const accessdb::TableDef* t = findTable(*db, name);
        ASSERT_NE(t, nullptr) << name.toStdString();
        EXPECT_NE(t->attributes & accessdb::kSystemObjectBits, 0u) << name.toStdString();
    }
    // Lookup by name ignores case; a missing name raises.
    EXPECT_EQ(db->tableDef(QStringLiteral("order details")).name, QStringLiteral("Order Details"));
    try {
        db->tableDef(QStringLiteral("Nirgends"));
        FAIL() << "no error for a missing table";
    } catch (const rt::RuntimeError& e) {
        EXPECT_GT(e.number(), 1000);
    }
}

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

TEST(MdbNwind, FieldTypesSizesRequiredAndDefaults)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    const accessdb::Field& disc = fieldOf(db->tableDef("Products"), "Discontinued");
    EXPECT_EQ(disc.type, accessdb::type::Boolean);
    EXPECT_EQ(disc.size, 1);
    EXPECT_FALSE(disc.required);
    EXPECT_EQ(disc.defaultValue, "=No");
    const accessdb::Field& name = fieldOf(db->tableDef("Products"), "ProductName");
    EXPECT_EQ(name.type, accessdb::type::Text);
    EXPECT_EQ(name.size, 40);
    EXPECT_TRUE(name.required);
    EXPECT_EQ(name.defaultValue, "");

    struct Expected {
        const char* name;
        int type, size;
        bool required;
        const char* def;
    };
    const Expected details[] = {{"OrderID", accessdb::type::Long, 4, false, ""},
                                {"ProductID", accessdb::type::Long, 4, true, ""},
                                {"UnitPrice", accessdb::type::Currency, 8, true, "0"},
                                {"Quantity", accessdb::type::Integer, 2, true, "1"},
                                {"Discount", accessdb::type::Single, 4, true, "0"}};
    const accessdb::TableDef& t = db->tableDef("Order Details");
    ASSERT_EQ(t.fields.size(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(details[i].name);
        EXPECT_EQ(t.fields[i].name, details[i].name);
        EXPECT_EQ(t.fields[i].type, details[i].type);
        EXPECT_EQ(t.fields[i].size, details[i].size);
        EXPECT_EQ(t.fields[i].required, details[i].required);
        EXPECT_EQ(t.fields[i].defaultValue, details[i].def);
    }
    // Memo and OLE report size 0, dates 8.
    const accessdb::TableDef& emp = db->tableDef("Employees");
    EXPECT_EQ(fieldOf(emp, "Notes").type, accessdb::type::Memo);
    EXPECT_EQ(fieldOf(emp, "Notes").size, 0);
    EXPECT_EQ(fieldOf(emp, "Photo").type, accessdb::type::LongBinary);
    EXPECT_EQ(fieldOf(emp, "BirthDate").size, 8);
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
        EXPECT_EQ(allRows(*db, table).size(), total);
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

TEST(MdbNwind, ValuesDecodedAsTheSystemShowsThem)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    rt::setDecimalSeparator(u',');
    const QList<QStringList> orders = allRows(*db, QStringLiteral("Orders"));
    rt::setDecimalSeparator(u'.');
    // OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipVia, Freight,
    // ShipName, ShipAddress, ShipCity, ShipRegion, ...
    const QStringList* lilas = nullptr;
    const QStringList* bonap = nullptr;
    for (const QStringList& r : orders) {
        if (r[0] == "10330")
            lilas = &r;
        if (r[0] == "10331")
            bonap = &r;
    }
    ASSERT_TRUE(lilas && bonap);
    EXPECT_EQ((*lilas)[3], "16.11.1994");                  // date at midnight: the date alone
    EXPECT_EQ((*lilas)[7], "12,75");                        // Currency: exact, no needless zeros
    EXPECT_EQ((*lilas)[9], QStringLiteral("Carrera 52 con Ave. Bolívar #65-98 Llano Largo"));  // code page 1252
    EXPECT_EQ((*bonap)[11], "<null>");                      // ShipRegion absent
    EXPECT_EQ((*bonap)[8], "Bon app'");

    // Single to 7 significant digits: 0.15 stays 0.15, not 0.150000006.
    const QList<QStringList> details = allRows(*db, QStringLiteral("Order Details"));
    QSet<QString> discounts;
    for (const QStringList& r : details)
        discounts.insert(r[4]);
    EXPECT_TRUE(discounts.contains("0.15"));
    EXPECT_TRUE(discounts.contains("0.05"));
    for (const QString& d : discounts)
        EXPECT_LE(d.size(), 4) << d.toStdString();

    // Yes/No is never null; dates split into their parts; memo whole; OLE as bytes.
    auto products = db->openRecordset(QStringLiteral("Products"));
    EXPECT_FALSE(products->value(9).isNull);
    EXPECT_TRUE(products->value(9).text == "TRUE" || products->value(9).text == "FALSE");
    auto emp = db->openRecordset(QStringLiteral("Employees"));
    const accessdb::Value& birth = emp->value(5);
    EXPECT_EQ(birth.text, "08.12.1948");
    EXPECT_EQ(birth.year, 1948);
    EXPECT_EQ(birth.month, 12);
    EXPECT_EQ(birth.day, 8);
    const accessdb::Value& photo = emp->value(14);
    EXPECT_GT(photo.bytes.size(), 10000);
    EXPECT_TRUE(emp->value(15).text.startsWith("Education includes a BA in psychology"));
    EXPECT_TRUE(emp->value(15).text.endsWith("Nancy is a member of Toastmasters International."));
}

TEST(MdbNwind, InterleavedRecordSetsReadTheSameRows)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    const QList<QStringList> orders = allRows(*db, "Orders");
    const QList<QStringList> details = allRows(*db, "Order Details");
    auto a = db->openRecordset("Orders");
    auto b = db->openRecordset("Order Details");
    int ia = 0, ib = 0;
    while (!a->eof() || !b->eof()) {
        if (!a->eof()) {
            ASSERT_EQ(a->value(0).text, orders[ia][0]);
            ASSERT_EQ(a->value(8).text, orders[ia][8] == "<null>" ? QString() : orders[ia][8]);
            a->moveNext();
            ++ia;
        }
        for (int k = 0; k < 3 && !b->eof(); ++k) {
            ASSERT_EQ(b->value(1).text, details[ib][1]);
            b->moveNext();
            ++ib;
        }
    }
    EXPECT_EQ(ia, 830);
    EXPECT_EQ(ib, 2155);
}

TEST(MdbDateTest, DatesBefore1900AndInTheLastCentury)
{
    REQUIRE_SHARED_FIXTURE(path, "DateTestDatabase.mdb");
    auto db = accessdb::openDatabase(path);
    const QList<QStringList> rows = allRows(*db, "DateTest");
    ASSERT_EQ(rows.size(), 6);
    // IDCol, DateTimeCol, DateCol, TimeCol, LongTextCol, ShortTextCol
    EXPECT_EQ(rows[1].mid(1, 3), (QStringList{"01.01.9999", "01.01.9999", "01.01.9999"}));
    EXPECT_EQ(rows[2].mid(1, 3), (QStringList{"01.01.1898", "01.01.1899", "01.01.1900"}));
    EXPECT_EQ(rows[3].mid(1, 3), (QStringList{"01.01.0632", "01.01.0633", "01.01.0634"}));
    EXPECT_EQ(rows[5][4], "New line\r\nin field");
    auto rs = db->openRecordset("DateTest");
    rs->moveNext();
    rs->moveNext();
    EXPECT_EQ(rs->value(1).year, 1898);
    EXPECT_EQ(rs->value(1).month, 1);
    EXPECT_EQ(rs->value(1).day, 1);
}

TEST(MdbAccdb, OpensAndReads)
{
    REQUIRE_SHARED_FIXTURE(path, "ASampleDatabase.accdb");
    auto db = accessdb::openDatabase(path);
    const accessdb::TableDef& t = db->tableDef("Asset Items");
    EXPECT_EQ(t.fields.size(), 13);
    EXPECT_EQ(fieldOf(t, "Asset No").size, 5);   // characters, not bytes
    EXPECT_EQ(fieldOf(t, "Cost").defaultValue, "0");   // properties in the newer block format
    ASSERT_EQ(t.indexes.size(), 1);
    EXPECT_TRUE(t.indexes[0].primary);
    EXPECT_EQ(t.indexes[0].fields, QStringList{"Asset No"});
    const QList<QStringList> rows = allRows(*db, "Asset Items");
    ASSERT_EQ(rows.size(), 65);
    EXPECT_EQ(rows[0].mid(0, 3), (QStringList{"30050", "Computer Hardware", "GEO Rocket"}));
    EXPECT_EQ(rows[0][8], "1995.5");
    EXPECT_GE(db->queryDefs().size(), 3);
}

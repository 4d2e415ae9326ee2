// The query texts of the public sample database, as Access shows them in SQL view. Several of
// the queries share their names with forms or reports; each must still get its own text.
#include "common/Fixtures.h"
#include "dataaccess/AccessDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(MdbNwindQueries, TextsAsAccessShowsThem)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    auto db = accessdb::openDatabase(path);
    struct Expected {
        const char* name;
        const char* sql;
    };
    QStringList names;
    for (const accessdb::QueryDef& d : db->queryDefs())
        names << d.name;
    EXPECT_EQ(
        names.join('|'),
        "Alphabetical List of Products|Catalog|Category Sales for 1995|Current Product List|"
        "Customers and Suppliers by City|Employee Sales by Country|Invoices|Invoices Filter|"
        "Order Details Extended|Order Subtotals|Orders Qry|Product Sales for 1995|Products Above Average Price|"
        "Products by Category|Quarterly Orders|Quarterly Orders by Product|Sales by Category|Sales by Year|"
        "Sales Totals by Amount|Summary of Sales by Quarter|Summary of Sales by Year|Ten Most Expensive Products");
    // One query of each form: joins nested either way, aliases, union, parameters, dates, crosstab,
    // TOP.
    const Expected expected[] = {
        {"Current Product List", "SELECT [Product List].ProductID, [Product List].ProductName\r\n"
                                 "FROM Products AS [Product List]\r\n"
                                 "WHERE ((([Product List].Discontinued)=No))\r\n"
                                 "ORDER BY [Product List].ProductName;"},
        {"Customers and Suppliers by City",
         "SELECT City, CompanyName, ContactName, \"Customers\" AS [Relationship] \r\n"
         "FROM Customers\r\n"
         "UNION SELECT City, CompanyName, ContactName, \"Suppliers\"\r\n"
         "FROM Suppliers\r\n"
         "ORDER BY City, CompanyName;"},
        {"Employee Sales by Country",
         "PARAMETERS [Beginning Date] DateTime, [Ending Date] DateTime;\r\n"
         "SELECT DISTINCTROW Employees.Country, Employees.LastName, Employees.FirstName, Orders.ShippedDate, "
         "Orders.OrderID, [Order Subtotals].Subtotal AS SaleAmount\r\n"
         "FROM Employees INNER JOIN (Orders INNER JOIN [Order Subtotals] ON Orders.OrderID = [Order "
         "Subtotals].OrderID) ON Employees.EmployeeID = Orders.EmployeeID\r\n"
         "WHERE (((Orders.ShippedDate) Between [Beginning Date] And [Ending Date]));"},
        {"Product Sales for 1995",
         "SELECT DISTINCTROW Categories.CategoryName, Products.ProductName, Sum(CCur([Order "
         "Details].[UnitPrice]*[Quantity]*(1-[Discount])/100)*100) AS ProductSales\r\n"
         "FROM (Categories INNER JOIN Products ON Categories.CategoryID = Products.CategoryID) INNER JOIN (Orders "
         "INNER JOIN [Order Details] ON Orders.OrderID = [Order Details].OrderID) ON Products.ProductID = [Order "
         "Details].ProductID\r\n"
         "WHERE (((Orders.ShippedDate) Between #1/1/95# And #12/31/95#))\r\n"
         "GROUP BY Categories.CategoryName, Products.ProductName;"},
        {"Quarterly Orders",
         "SELECT DISTINCTROW Customers.CustomerID, Customers.CompanyName, Customers.City, Customers.Country\r\n"
         "FROM Customers RIGHT JOIN Orders ON Customers.CustomerID = Orders.CustomerID\r\n"
         "WHERE (((Orders.OrderDate) Between #1/1/95# And #12/31/95#));"},
        {"Quarterly Orders by Product",
         "TRANSFORM Sum(CCur([Order Details].[UnitPrice]*[Quantity]*(1-[Discount])/100)*100) AS ProductAmount\r\n"
         "SELECT DISTINCTROW Products.ProductName, Orders.CustomerID, Year([OrderDate]) AS OrderYear\r\n"
         "FROM Products INNER JOIN (Orders INNER JOIN [Order Details] ON Orders.OrderID = [Order Details].OrderID) ON "
         "Products.ProductID = [Order Details].ProductID\r\n"
         "WHERE (((Orders.OrderDate) Between #1/1/95# And #12/31/95#))\r\n"
         "GROUP BY Products.ProductName, Orders.CustomerID, Year([OrderDate])\r\n"
         "PIVOT \"Qtr \" & DatePart(\"q\",[OrderDate],1,0) In (\"Qtr 1\",\"Qtr 2\",\"Qtr 3\",\"Qtr 4\");"},
        {"Ten Most Expensive Products",
         "SELECT DISTINCTROW TOP 10 Products.ProductName AS TenMostExpensiveProducts, Products.UnitPrice\r\n"
         "FROM Products\r\n"
         "ORDER BY Products.UnitPrice DESC;"},
    };
    for (const Expected& e : expected) {
        const auto q = std::find_if(db->queryDefs().begin(), db->queryDefs().end(),
                                    [&](const accessdb::QueryDef& d) { return d.name == QString::fromUtf8(e.name); });
        ASSERT_NE(q, db->queryDefs().end()) << e.name;
        EXPECT_EQ(q->sql, QString::fromUtf8(e.sql)) << e.name;
    }
}

// mdbinfo as an administrator runs it: JSON on standard output, errors on standard error.
#include "common/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out, err;
};

ToolRun mdbinfo(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(DORVEX_BINARY_DIR "/mdbinfo"), args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

#define REQUIRE_MDBINFO()                                                              \
    if (!QFileInfo::exists(QStringLiteral(DORVEX_BINARY_DIR "/mdbinfo"))) {            \
        if (testsupport::runningInCi())                                                \
            FAIL() << "mdbinfo not built";                                             \
        GTEST_SKIP() << "mdbinfo not built";                                           \
    }

}  // namespace

TEST(MdbInfo, DescribesTablesRelationsAndQueries)
{
    REQUIRE_MDBINFO();
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    const ToolRun r = mdbinfo({path});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject doc = QJsonDocument::fromJson(r.out).object();
    QJsonObject orders;
    for (const QJsonValue& t : doc.value("tables").toArray())
        if (t.toObject().value("name").toString() == "Orders")
            orders = t.toObject();
    EXPECT_EQ(orders.value("rowCount").toInt(), 830);
    EXPECT_EQ(orders.value("attributes").toInt(), 0);
    EXPECT_EQ(orders.value("indexes").toArray().size(), 9);
    const QJsonObject firstField = orders.value("fields").toArray().first().toObject();
    EXPECT_EQ(firstField.value("name").toString(), "OrderID");
    EXPECT_EQ(firstField.value("type").toInt(), 4);
    EXPECT_EQ(doc.value("relations").toArray().size(), 7);
    const QJsonArray queries = doc.value("queries").toArray();
    ASSERT_EQ(queries.size(), 22);
    EXPECT_EQ(queries.last().toObject().value("sql").toString(),
              "SELECT DISTINCTROW TOP 10 Products.ProductName AS TenMostExpensiveProducts, Products.UnitPrice\r\n"
              "FROM Products\r\nORDER BY Products.UnitPrice DESC;");
}

TEST(MdbInfo, RowsWithNullAsNull)
{
    REQUIRE_MDBINFO();
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    const ToolRun r = mdbinfo({path, "--rows", "Shippers"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonArray rows = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].toArray().size(), 3);
    EXPECT_EQ(rows[0].toArray()[0].toString(), "1");
    const QJsonArray customers = QJsonDocument::fromJson(mdbinfo({path, "--rows", "Customers"}).out).array();
    ASSERT_EQ(customers.size(), 91);
    EXPECT_TRUE(customers[0].toArray()[6].isNull());   // ALFKI has no region
}

TEST(MdbInfo, BadFilesEndWithAMessageAndAnErrorCode)
{
    REQUIRE_MDBINFO();
    const QString folder = testsupport::tempFolder();
    const ToolRun missing = mdbinfo({QDir(folder).filePath("fehlt.mdb")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains("fehlt.mdb")) << missing.err.constData();
    QFile junk(QDir(folder).filePath("junk.mdb"));
    junk.open(QIODevice::WriteOnly);
    junk.write(QByteArray(10000, 'x'));
    junk.close();
    const ToolRun foreign = mdbinfo({junk.fileName()});
    EXPECT_NE(foreign.exitCode, 0);
    EXPECT_TRUE(foreign.err.contains("3343")) << foreign.err.constData();
    EXPECT_NE(mdbinfo({}).exitCode, 0);
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    const ToolRun noTable = mdbinfo({path, "--rows", "Nirgends"});
    EXPECT_NE(noTable.exitCode, 0);
    EXPECT_TRUE(noTable.err.contains("Nirgends"));
}

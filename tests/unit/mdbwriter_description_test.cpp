// The fixture writer's description side: SELECT parts to MSysQueries rows, the JSON description,
// refusing bad input without leaving a file behind, and the sample XDB document's fixed columns.
#include "common/Fixtures.h"
#include "mdbwriter/JsonDescription.h"
#include "mdbwriter/MdbWriter.h"
#include "mdbwriter/Sample.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString rowText(const mdbw::QueryRow& r) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(r.attribute)
        .arg(r.order)
        .arg(r.name1, r.name2, r.expression, r.flag.isNull() ? QStringLiteral("-") : r.flag.toString());
}

QStringList rowTexts(const QList<mdbw::QueryRow>& rows) {
    QStringList out;
    for (const auto& r : rows) out << rowText(r);
    return out;
}

TEST(MdbWriterSelectRows, EveryClauseBecomesItsAttributeRow) {
    mdbw::SelectParts p;
    p.parameters = {{"Ab Datum", 8}};
    p.distinctRow = true;
    p.top = 10;
    p.topPercent = true;
    p.columns = {{"Kunden.Name", {}}, {"Sum([Betrag])", "Summe"}};
    p.tables = {{"Kunden", {}}, {"Auftraege", "A"}};
    p.joins = {{"Kunden", "A", "Kunden.Nr = A.KundenNr", 2}};
    p.where = "A.Datum>=[Ab Datum]";
    p.groupBy = {"Kunden.Name"};
    p.having = "Sum([Betrag])>100";
    p.orderBy = {{"Kunden.Name", false}, {"Sum([Betrag])", true}};
    EXPECT_EQ(rowTexts(mdbw::selectQueryRows(p)),
              (QStringList{"0|0||||-", "1|0||||1", "2|0|Ab Datum|||8",
                           // DISTINCTROW 0x08 + TOP 0x10 + PERCENT 0x20, the count in Name1
                           "3|0|10|||56", "5|0|Kunden|||-", "5|1|Auftraege|A||-", "6|0|||Kunden.Name|0",
                           "6|1|Summe||Sum([Betrag])|0", "7|0|Kunden|A|Kunden.Nr = A.KundenNr|2",
                           "8|0|||A.Datum>=[Ab Datum]|-", "9|0|||Kunden.Name|-", "10|0|||Sum([Betrag])>100|-",
                           "11|0|||Kunden.Name|-", "11|1|D||Sum([Betrag])|-", "255|0||||-"}));
}

TEST(MdbWriterSelectRows, PlainSelectHasNoOptionalClauses) {
    mdbw::SelectParts p;
    p.allFields = true;
    p.distinct = true;
    p.tables = {{"Artikel", {}}};
    EXPECT_EQ(rowTexts(mdbw::selectQueryRows(p)),
              (QStringList{"0|0||||-", "1|0||||1", "3|0||||3", "5|0|Artikel|||-", "255|0||||-"}));
}

TEST(MdbWriterJson, BuildsTablesRelationsAndQueries) {
    const QByteArray json = R"({
      "timestamp": "2004-03-07 10:00:00",
      "tables": [
        {"name": "Kunden", "hidden": true,
         "fields": [{"name": "Nr", "type": "long", "required": true},
                    {"name": "Name", "type": 10, "size": 40, "default": "\"unbekannt\""},
                    {"name": "Bild", "type": "ole"}],
         "indexes": [{"name": "PrimaryKey", "fields": ["Nr"], "primary": true}],
         "rows": [[1, "Müller", "hex:cafe"], [2, null, "base64:AAE="]]},
        {"name": "Gross", "fields": [{"name": "Nr", "type": 4}, {"name": "T", "type": 10, "size": 20}],
         "generate": {"count": 5, "pattern": {"Nr": "#counter:100", "T": "Zeile {n}"}}}
      ],
      "relations": [{"name": "KG", "table": "Kunden", "foreignTable": "Gross", "attributes": 4096,
                     "fields": [{"name": "Nr", "foreignName": "Nr"}]}],
      "queries": [{"name": "Q1", "rows": [{"attribute": 0}, {"attribute": 1, "flag": 5}, {"attribute": 255}]},
                  {"name": "Q2", "select": {"columns": ["Kunden.Name"], "tables": ["Kunden"],
                                             "joins": [{"left": "Kunden", "right": "Gross", "on": "x", "kind": "right"}]}}]
    })";
    mdbw::Database db;
    mdbw::loadDescription(json, db);
    ASSERT_EQ(db.tables().size(), 2u);
    const mdbw::Table& k = db.tables()[0];
    EXPECT_EQ(k.flags(), mdbw::kHidden);
    EXPECT_EQ(k.fields()[0].type, mdbw::type::Long);
    EXPECT_TRUE(k.fields()[0].required);
    EXPECT_EQ(k.fields()[1].defaultValue, "\"unbekannt\"");
    EXPECT_EQ(k.rows()[0][2].toByteArray(), QByteArray::fromHex("cafe"));
    EXPECT_EQ(k.rows()[1][2].toByteArray(), QByteArray::fromHex("0001"));
    EXPECT_TRUE(k.rows()[1][1].isNull());
    const mdbw::Table& g = db.tables()[1];
    ASSERT_EQ(g.generatedCount(), 5);
    mdbw::Row row(2);
    g.generator()(4, row);
    EXPECT_EQ(row[0].toLongLong(), 104);
    EXPECT_EQ(row[1].toString(), "Zeile 5");
    ASSERT_EQ(db.relations().size(), 1);
    EXPECT_EQ(db.relations()[0].attributes, 4096);
    ASSERT_EQ(db.queries().size(), 2);
    EXPECT_EQ(db.queries()[0].flags, 0x20u) << "a delete query's catalog flags carry its type";
    EXPECT_TRUE(rowTexts(db.queries()[1].rows).contains("7|0|Kunden|Gross|x|3"));
    EXPECT_EQ(db.timestamp(), QDateTime(QDate(2004, 3, 7), QTime(10, 0)));
}

TEST(MdbWriterJson, MistakesAreNamedAndNothingIsBuilt) {
    const QList<QPair<QByteArray, QString>> cases{
        {"{\"tables\": [", "JSON error"},
        {R"({"tables": [{"name": "T", "fields": [{"name": "A", "type": 13}]}]})", "unknown type code 13"},
        {R"({"tables": [{"name": "T", "fields": [{"name": "A", "type": 4}], "rows": [[1, 2]]}]})", "table T, row 1: has 2 values for 1 fields"},
        {R"({"tables": [{"name": "T", "fields": [{"name": "A", "type": 4}], "indexes": [{"name": "I", "fields": ["B"]}]}]})", "index I: no field B"},
        {R"({"tables": [{"name": "T", "fields": [{"name": "A", "type": 4}], "generate": {"count": 3, "pattern": {"A": "#zufall"}}}]})", "unknown pattern #zufall"},
        {R"({"queries": [{"name": "Q"}]})", "query Q: needs either \"rows\" or \"select\""},
        {R"({"tables": [{"name": "T", "fields": [{"name": "A", "type": 10, "size": 300}]}]})", "text size 300 is not 1 to 255"},
    };
    for (const auto& [json, message] : cases) {
        mdbw::Database db;
        try {
            mdbw::loadDescription(json, db);
            ADD_FAILURE() << "accepted: " << json.constData();
        } catch (const mdbw::Error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(message)) << e.what() << " / expected " << qPrintable(message);
        }
    }
}

TEST(MdbWriterJson, PatternsGiveTheDocumentedValues) {
    using mdbw::patternValue;
    EXPECT_EQ(patternValue("#counter", mdbw::type::Long, 0).toLongLong(), 1);
    EXPECT_EQ(patternValue("#counter:100", mdbw::type::Long, 5).toLongLong(), 105);
    EXPECT_EQ(patternValue("#mod:7", mdbw::type::Long, 23).toLongLong(), 2);
    EXPECT_EQ(patternValue("#bool", mdbw::type::Boolean, 4).toBool(), true);
    EXPECT_EQ(patternValue("#bool", mdbw::type::Boolean, 5).toBool(), false);
    EXPECT_DOUBLE_EQ(patternValue("#double:0.25", mdbw::type::Double, 10).toDouble(), 2.5);
    EXPECT_EQ(patternValue("#currency", mdbw::type::Currency, 1234).toString().toStdString(), "12.34");
    EXPECT_EQ(patternValue("#currency", mdbw::type::Currency, 5).toString().toStdString(), "0.05");
    EXPECT_EQ(patternValue("#date:2004-03-07", mdbw::type::DateTime, 2).toDateTime().date(), QDate(2004, 3, 9));
    EXPECT_EQ(patternValue("#memo:40", mdbw::type::Memo, 0).toString().size(), 40);
    EXPECT_EQ(patternValue("#bytes:3", mdbw::type::LongBinary, 1).toByteArray(), QByteArray::fromHex("010203"));
    EXPECT_TRUE(patternValue("#null", mdbw::type::Text, 1).isNull());
    EXPECT_EQ(patternValue("Kunde {n} von {n}", mdbw::type::Text, 41).toString().toStdString(), "Kunde 42 von 42");
    EXPECT_EQ(patternValue(QVariant(7), mdbw::type::Long, 41).toInt(), 7);
    EXPECT_NE(patternValue("#guid", mdbw::type::Guid, 1), patternValue("#guid", mdbw::type::Guid, 2));
}

TEST(MdbWriterJson, CutDescriptionsFailCleanly) {
    // Every prefix of a valid description either loads or raises the writer's error; none crashes.
    const QByteArray json = R"({"tables": [{"name": "T", "fields": [{"name": "A", "type": 4}, {"name": "B", "type": "text"}],
        "rows": [[1, "x"]], "generate": {"count": 2, "pattern": {"A": "#counter"}}}],
        "relations": [{"name": "R", "table": "T", "foreignTable": "T", "fields": [{"name": "A", "foreignName": "A"}]}],
        "queries": [{"name": "Q", "select": {"columns": ["T.A"], "tables": ["T"]}}]})";
    int loaded = 0;
    for (int n = 0; n <= json.size(); ++n) {
        mdbw::Database db;
        try {
            mdbw::loadDescription(json.left(n), db);
            ++loaded;
        } catch (const mdbw::Error&) {
        }
    }
    EXPECT_EQ(loaded, 1) << "only the whole text is a description";
}

TEST(MdbWriterWrite, BadValuesLeaveTheOldFileAlone) {
    const QString path = QDir(testsupport::tempFolder()).filePath("alt.mdb");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("vorher");
    }
    const QList<QPair<QVariant, QString>> cases{
        {QStringLiteral("zu lang für zehn"), "is longer than 10 characters"},
        {QVariant(70000), "is out of range"},
        {QStringLiteral("12.34567"), "has more than 4 decimals"},
        {QStringLiteral("kein Datum"), "is not a date"},
    };
    const QList<int> types{mdbw::type::Text, mdbw::type::Integer, mdbw::type::Currency, mdbw::type::DateTime};
    for (int i = 0; i < cases.size(); ++i) {
        mdbw::Database db;
        mdbw::Field f;
        f.name = "Feld";
        f.type = types[i];
        f.size = 10;
        db.addTable("T").addField(f).addRow({cases[i].first});
        try {
            db.write(path);
            ADD_FAILURE() << "accepted " << qPrintable(cases[i].first.toString());
        } catch (const mdbw::Error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains("table T, field Feld")) << e.what();
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(cases[i].second)) << e.what();
        }
        QFile f2(path);
        ASSERT_TRUE(f2.open(QIODevice::ReadOnly));
        EXPECT_EQ(f2.readAll(), QByteArray("vorher"));
        EXPECT_FALSE(QFile::exists(path + ".part"));
    }
}

TEST(MdbWriterWrite, RelationsMustNameExistingFields) {
    mdbw::Database db;
    mdbw::Field f;
    f.name = "Nr";
    f.type = mdbw::type::Long;
    db.addTable("A").addField(f);
    db.addTable("B").addField(f);
    db.addRelation({"AB", "A", "B", 0, {{"Nr", "Fehlt"}}});
    const QString path = QDir(testsupport::tempFolder()).filePath("rel.mdb");
    EXPECT_THROW(db.write(path), mdbw::Error);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(MdbWriterSample, XdbDocumentKeepsItsFixedColumns) {
    const QString text = mdbw::sampleXdbText();
    ASSERT_TRUE(text.endsWith("\r\n"));
    const QStringList lines = text.split("\r\n");
    bool sawNew = false, sawOld = false, sawRename = false;
    QString section;
    for (const QString& l : lines) {
        EXPECT_FALSE(l.contains('\n') || l.contains('\r'));
        if (l.startsWith('[')) section = l;
        if (l.startsWith("#####")) {
            section = "old";
            EXPECT_EQ(l.mid(26).trimmed(), "Artikel") << "the table name stands from column 27";
            continue;
        }
        if (section == "[felder]" && l.left(22).contains("feld ")) {
            sawNew = true;
            EXPECT_FALSE(l.mid(23, 48).trimmed().isEmpty());
            EXPECT_GT(l.mid(75, 3).trimmed().toInt(), 0) << qPrintable(l);
            EXPECT_FALSE(l.mid(79, 3).trimmed().isEmpty()) << qPrintable(l);
        }
        if (section == "old" && !l.isEmpty()) {
            sawOld = true;
            EXPECT_GT(l.mid(50, 3).trimmed().toInt(), 0) << qPrintable(l);
        }
        if (section == "[renamefield]" && l.left(24).contains("feld")) {
            sawRename = true;
            EXPECT_FALSE(l.mid(25, 50).trimmed().isEmpty());
            EXPECT_FALSE(l.mid(76).trimmed().isEmpty());
        }
        // A query text holding "[" must stand on an upper-case "SQL" line, or the reader resets.
        if (l.contains('[') && !l.startsWith('[')) {
            EXPECT_TRUE(l.contains("SQL")) << qPrintable(l);
        }
    }
    EXPECT_TRUE(sawNew && sawOld && sawRename);
    for (const char* header : {"[felder]", "[renamefield]", "[renametable]", "[Indizes]", "[querys]"})
        EXPECT_TRUE(lines.contains(QLatin1String(header))) << header;
}

}  // namespace

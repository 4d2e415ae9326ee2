// Files made by the fixture writer, read back through the program's own Access layer: it must see
// exactly the structure and values that were written.
#include "common/Fixtures.h"
#include "dataaccess/AccessDatabase.h"
#include "mdbwriter/MdbWriter.h"
#include "mdbwriter/Sample.h"
#include "runtime/Strings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QMap>
#include <gtest/gtest.h>

namespace {

std::string str(const QString& s) { return s.toStdString(); }
std::string str(const QStringList& l) { return l.join(QLatin1Char('|')).toStdString(); }

using mdbw::field;

const accessdb::TableDef* findTable(const accessdb::Database& db, const QString& name) {
    for (const auto& t : db.tableDefs())
        if (t.name == name) return &t;
    return nullptr;
}

QString indexText(const accessdb::Index& i) {
    return i.name + (i.primary ? "/P" : "") + (i.unique ? "/U" : "") + ":" + i.fields.join(',');
}

// Every field type with sizes, Required and DefaultValue; every index kind; a relationship with
// two field pairs; hidden and system tables; queries given as rows and as SELECT parts.
QString writeStructure() {
    mdbw::Database db;
    auto& k = db.addTable("Kunden");
    k.addField(field("Mandant", mdbw::type::Integer, 0, true, "1"));
    k.addField(field("Nr", mdbw::type::Long, 0, true));
    k.addField(field("Name", mdbw::type::Text, 40, true, "\"unbekannt\""));
    k.addField(field("Aktiv", mdbw::type::Boolean, 0, false, "Yes"));
    k.addField(field("Seit", mdbw::type::DateTime, 0, false, "=Date()"));
    k.addField(field("Rabatt", mdbw::type::Single, 0, false, "0"));
    k.addField(field("Limit", mdbw::type::Double));
    k.addField(field("Saldo", mdbw::type::Currency));
    k.addField(field("Stufe", mdbw::type::Byte));
    k.addField(field("Kennung", mdbw::type::Guid));
    k.addField(field("Roh", mdbw::type::Binary, 16));
    k.addField(field("Bild", mdbw::type::LongBinary));
    k.addField(field("Notiz", mdbw::type::Memo));
    k.addIndex({"PrimaryKey", {"Mandant", "Nr"}, true, true, false, {}});
    k.addIndex({"Name", {"Name"}, false, false, false, {}});
    k.addIndex({"Kennung", {"Kennung"}, false, true, true, {}});
    auto& a = db.addTable("Auftraege");
    a.addField(field("AuftragNr", mdbw::type::Long, 0, true));
    a.addField(field("Mandant", mdbw::type::Integer));
    a.addField(field("KundenNr", mdbw::type::Long));
    a.addIndex({"PrimaryKey", {"AuftragNr"}, true, true, false, {}});
    db.addTable("Ohne Schluessel").addField(field("Text", mdbw::type::Text, 10));
    db.addTable("Versteckt").setFlags(mdbw::kHidden).addField(field("A", mdbw::type::Long));
    db.addRelation({"KundenAuftraege", "Kunden", "Auftraege", mdbw::kRelationCascadeUpdate | mdbw::kRelationCascadeDelete,
                    {{"Mandant", "Mandant"}, {"Nr", "KundenNr"}}});
    db.addRelation({"Lose", "Kunden", "Ohne Schluessel", mdbw::kRelationNotEnforced, {{"Name", "Text"}}});

    mdbw::SelectParts p;
    p.distinctRow = true;
    p.top = 10;
    p.columns = {{"Kunden.Name", {}}, {"Left([Name],3)", "Kurz"}};
    p.tables = {{"Kunden", {}}, {"Auftraege", {}}};
    p.joins = {{"Kunden", "Auftraege", "Kunden.Nr = Auftraege.KundenNr", 1}};
    p.where = "(((Kunden.Name)=\"München\"))";
    p.orderBy = {{"Kunden.Name", true}};
    db.addSelectQuery("Auswahl", p);
    db.addQuery("Zeilen", {{0, 0, {}, {}, {}, {}, {}},
                           {1, 0, {}, {}, {}, 1, {}},
                           {3, 0, {}, {}, {}, 0, {}},
                           {5, 0, "Kunden", {}, {}, {}, {}},
                           {6, 0, {}, {}, "Kunden.Nr", 0, {}},
                           {9, 0, {}, {}, "Kunden.Nr", {}, {}},
                           {255, 0, {}, {}, {}, {}, {}}});
    const QString path = QDir(testsupport::tempFolder()).filePath("struktur.mdb");
    db.write(path);
    return path;
}

TEST(MdbWriterRoundTrip, FieldsWithSizesAndProperties) {
    auto db = accessdb::openDatabase(writeStructure());
    const accessdb::TableDef* k = findTable(*db, "Kunden");
    ASSERT_NE(k, nullptr);
    QStringList fields;
    for (const accessdb::Field& f : k->fields)
        fields << QStringLiteral("%1 %2 %3%4%5").arg(f.name).arg(f.type).arg(f.size).arg(f.required ? " R" : "")
                      .arg(f.defaultValue.isEmpty() ? QString() : " =" + f.defaultValue);
    // Sizes as Access reports them: Yes/No 1, Text in characters, Memo and OLE 0.
    EXPECT_EQ(str(fields), str(QStringList{"Mandant 3 2 R =1", "Nr 4 4 R", "Name 10 40 R =\"unbekannt\"", "Aktiv 1 1 =Yes",
                                           "Seit 8 8 ==Date()", "Rabatt 6 4 =0", "Limit 7 8", "Saldo 5 8", "Stufe 2 1",
                                           "Kennung 15 16", "Roh 9 16", "Bild 11 0", "Notiz 12 0"}));
}

TEST(MdbWriterRoundTrip, IndexesRelationsAndFlags) {
    auto db = accessdb::openDatabase(writeStructure());
    const accessdb::TableDef* k = findTable(*db, "Kunden");
    const accessdb::TableDef* a = findTable(*db, "Auftraege");
    const accessdb::TableDef* o = findTable(*db, "Ohne Schluessel");
    const accessdb::TableDef* v = findTable(*db, "Versteckt");
    ASSERT_TRUE(k && a && o && v);
    QStringList ki, ai;
    for (const auto& i : k->indexes) ki << indexText(i);
    for (const auto& i : a->indexes) ai << indexText(i);
    ki.sort();
    ai.sort();
    // The primary side's hidden back-reference stays out; the foreign side lists the relationship.
    EXPECT_EQ(str(ki), "Kennung/U:Kennung|Name:Name|PrimaryKey/P/U:Mandant,Nr");
    EXPECT_EQ(str(ai), "KundenAuftraege:Mandant,KundenNr|PrimaryKey/P/U:AuftragNr");
    EXPECT_TRUE(o->indexes.isEmpty()) << "a relationship that is not enforced adds no index";
    EXPECT_EQ(v->attributes & 0x1u, 0x1u) << "a hidden table reports DAO's dbHiddenObject";
    EXPECT_EQ(k->attributes & accessdb::kSystemObjectBits, 0u);

    ASSERT_EQ(db->relations().size(), 2);
    const accessdb::Relation& r = db->relations()[0];
    EXPECT_EQ(str(r.name), "KundenAuftraege");
    EXPECT_EQ(str(r.table), "Kunden");
    EXPECT_EQ(str(r.foreignTable), "Auftraege");
    EXPECT_EQ(r.attributes, accessdb::kRelationCascadeUpdate | accessdb::kRelationCascadeDelete);
    ASSERT_EQ(r.fields.size(), 2);
    EXPECT_EQ(str(r.fields[0].name + "=" + r.fields[0].foreignName), "Mandant=Mandant");
    EXPECT_EQ(str(r.fields[1].name + "=" + r.fields[1].foreignName), "Nr=KundenNr");
    EXPECT_EQ(db->relations()[1].attributes, mdbw::kRelationNotEnforced);
}

TEST(MdbWriterRoundTrip, QueriesRebuildAsAccessShowsThem) {
    auto db = accessdb::openDatabase(writeStructure());
    QMap<QString, QString> sql;
    for (const auto& q : db->queryDefs()) sql[q.name] = q.sql;
    ASSERT_EQ(sql.size(), 2);
    EXPECT_EQ(str(sql["Auswahl"]),
              "SELECT DISTINCTROW TOP 10 Kunden.Name, Left([Name],3) AS Kurz\r\n"
              "FROM Kunden INNER JOIN Auftraege ON Kunden.Nr = Auftraege.KundenNr\r\n"
              "WHERE (((Kunden.Name)=\"München\"))\r\n"
              "ORDER BY Kunden.Name DESC;");
    EXPECT_EQ(str(sql["Zeilen"]), "SELECT Kunden.Nr\r\nFROM Kunden\r\nGROUP BY Kunden.Nr;");
}

TEST(MdbWriterRoundTrip, QueryRowsFollowTheirOrderNotTheirPlace) {
    // Rows stored back to front: the reader must sort them by attribute and the big-endian Order.
    QList<mdbw::QueryRow> rows{{255, 0, {}, {}, {}, {}, {}},
                               {11, 300, {}, {}, "Kunden.Nr", {}, {}},
                               {11, 2, "D", {}, "Kunden.Name", {}, {}},
                               {6, 256, {}, {}, "Kunden.Ort", 0, {}},
                               {6, 1, {}, {}, "Kunden.Name", 0, {}},
                               {5, 0, "Kunden", {}, {}, {}, {}},
                               {3, 0, {}, {}, {}, 0, {}},
                               {1, 0, {}, {}, {}, 1, {}},
                               {0, 0, {}, {}, {}, {}, {}}};
    mdbw::Database w;
    w.addTable("Kunden").addField(field("Nr", mdbw::type::Long)).addField(field("Name", mdbw::type::Text, 20))
        .addField(field("Ort", mdbw::type::Text, 20));
    w.addQuery("Sortiert", rows);
    const QString path = QDir(testsupport::tempFolder()).filePath("order.mdb");
    w.write(path);
    auto db = accessdb::openDatabase(path);
    ASSERT_EQ(db->queryDefs().size(), 1);
    EXPECT_EQ(str(db->queryDefs()[0].sql), "SELECT Kunden.Name, Kunden.Ort\r\nFROM Kunden\r\nORDER BY Kunden.Name DESC, Kunden.Nr;");
}

TEST(MdbWriterRoundTrip, MdbgenBuildsFromJsonAndRefusesMistakes) {
    const QString mdbgen = QStringLiteral(DORVEX_BINARY_DIR "/tests/support/mdbgen");
    if (!QFile::exists(mdbgen)) {
        if (testsupport::runningInCi()) FAIL() << "mdbgen not built";
        GTEST_SKIP() << "mdbgen not built";
    }
    const QString dir = testsupport::tempFolder();
    auto writeJson = [&dir](const QString& name, const QByteArray& text) {
        QFile f(QDir(dir).filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    const QString good = writeJson("gut.json", R"({"tables": [{"name": "Orte", "fields": [
        {"name": "Nr", "type": "long", "required": true}, {"name": "Ort", "type": "text", "size": 30, "default": "\"Köln\""}],
        "indexes": [{"name": "PrimaryKey", "fields": ["Nr"], "primary": true}],
        "rows": [[1, "München"]], "generate": {"count": 999, "pattern": {"Nr": "#counter:2", "Ort": "Ort {n}"}}}]})");
    const QString out = QDir(dir).filePath("orte.mdb");
    QProcess p;
    p.start(mdbgen, {"build", good, out});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    auto db = accessdb::openDatabase(out);
    const accessdb::TableDef& t = db->tableDef("Orte");
    EXPECT_EQ(str(t.fields[1].defaultValue), "\"Köln\"");
    EXPECT_TRUE(t.fields[0].required);
    auto rs = db->openRecordset("Orte");
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 1000);
    EXPECT_EQ(str(rs->value(1).text), "Ort 999");

    const QString bad = writeJson("falsch.json", R"({"tables": [{"name": "Orte", "fields": [{"name": "Nr", "type": 4}],
        "rows": [[1, 2]]}]})");
    const QString badOut = QDir(dir).filePath("falsch.mdb");
    p.start(mdbgen, {"build", bad, badOut});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(str(QString::fromUtf8(p.readAllStandardError()).trimmed()), "mdbgen: table Orte, row 1: has 2 values for 1 fields");
    EXPECT_FALSE(QFile::exists(badOut));
}

TEST(MdbWriterRoundTrip, RowValuesNullsAndLongValues) {
    mdbw::Database w;
    auto& t = w.addTable("Werte");
    t.addField(field("Nr", mdbw::type::Long));
    t.addField(field("Name", mdbw::type::Text, 60));
    t.addField(field("Notiz", mdbw::type::Memo));
    t.addField(field("Ja", mdbw::type::Boolean));
    t.addField(field("Am", mdbw::type::DateTime));
    QString memo;
    while (memo.size() < 9000) memo += QStringLiteral("Grüße aus Köln; ");
    t.addRow({1, QStringLiteral("O'Brien \"der Ältere\""), memo, true, QDateTime(QDate(2004, 3, 7), QTime(23, 59, 59))});
    t.addRow({2, QString(""), QString(""), false, QTime(6, 30)});
    t.addRow({3, QVariant(), QVariant(), QVariant(), QVariant()});
    t.generateRows(2000, [](qint64 n, mdbw::Row& row) {
        row[0] = 4 + n;
        row[1] = QStringLiteral("Zeile %1 – äöü").arg(4 + n);
    });
    const QString path = QDir(testsupport::tempFolder()).filePath("werte.mdb");
    w.write(path);

    auto db = accessdb::openDatabase(path);
    auto rs = db->openRecordset("Werte");
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 2003);
    rs->moveFirst();
    EXPECT_EQ(str(rs->value(1).text), "O'Brien \"der Ältere\"");
    EXPECT_EQ(str(rs->value(2).text), str(memo));
    EXPECT_EQ(str(rs->value(3).text), "TRUE");
    EXPECT_EQ(str(rs->value(4).text), "07.03.2004 23:59:59");
    rs->moveNext();
    EXPECT_FALSE(rs->value(1).isNull);
    EXPECT_EQ(str(rs->value(1).text), "");
    EXPECT_FALSE(rs->value(2).isNull);
    EXPECT_EQ(str(rs->value(3).text), "FALSE");
    EXPECT_EQ(rs->value(4).hour * 100 + rs->value(4).minute, 630);
    rs->moveNext();
    EXPECT_TRUE(rs->value(1).isNull);
    EXPECT_TRUE(rs->value(2).isNull);
    EXPECT_TRUE(rs->value(4).isNull);
    EXPECT_FALSE(rs->value(3).isNull) << "a Yes/No field is never NULL";
    long seen = 3;
    QString last;
    for (rs->moveNext(); !rs->eof(); rs->moveNext()) {
        ++seen;
        last = rs->value(1).text;
    }
    EXPECT_EQ(seen, 2003);
    EXPECT_EQ(str(last), "Zeile 2003 – äöü");
}

TEST(MdbWriterRoundTrip, SampleDatabaseAsTheConversionSeesIt) {
    const QString dir = testsupport::tempFolder();
    mdbw::writeSample(dir);
    auto db = accessdb::openDatabase(QDir(dir).filePath("ZABRIX.MDB"));
    QStringList names;
    for (const auto& t : db->tableDefs())
        if (!(t.attributes & accessdb::kSystemObjectBits)) names << t.name;
    // Listed by name, as the table definitions collection gives them.
    EXPECT_EQ(str(names), "AdressenStamm|Artikel|Auftraege|Auftragspositionen|Dokumente|Einstellungen|Formularprotokoll|"
                          "Kassenbuch|Kunden|Laender|Terminkalender");
    EXPECT_TRUE(db->tableDef("Formularprotokoll").indexes.isEmpty());
    const auto& laender = db->tableDef("Laender").indexes;
    ASSERT_EQ(laender.size(), 1);
    EXPECT_TRUE(laender[0].unique && !laender[0].primary);
    EXPECT_EQ(db->relations().size(), 5);
    EXPECT_EQ(db->queryDefs().size(), 9);
    long rows = 0;
    for (const QString& n : names) {
        auto rs = db->openRecordset(n);
        rs->moveLast();
        rows += rs->recordCount();
    }
    EXPECT_GE(rows, 300);
    QMap<QString, QString> sql;
    for (const auto& q : db->queryDefs()) sql[q.name] = q.sql;
    EXPECT_TRUE(sql["ArtikelKurz"].contains("Left([Bezeichnung],3) AS ['Kurz']")) << qPrintable(sql["ArtikelKurz"]);
    EXPECT_TRUE(sql["KundenMuenchen"].contains("=\"München\"")) << qPrintable(sql["KundenMuenchen"]);
    EXPECT_TRUE(sql["ErsterAuftrag"].contains("First(Auftraege.Datum) AS ErstesDatum"));
    EXPECT_TRUE(sql["AuftraegeAbDatum"].startsWith("PARAMETERS [Ab Datum] DateTime;")) << qPrintable(sql["AuftraegeAbDatum"]);
}

}  // namespace

// Files made by the fixture writer, read by mdbtools' own command-line programs: they must read
// them without a word on standard error and see the tables, columns, properties and rows written.
#include "common/Fixtures.h"
#include "mdbwriter/MdbWriter.h"
#include "mdbwriter/Sample.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// Texts compared as std::string, so that failures print readably.
std::string str(const QString& s) { return s.toStdString(); }
std::string str(const QStringList& l) { return l.join(QLatin1Char('\n')).toStdString(); }

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun run(const QString& program, const QStringList& args) {
    ToolRun r;
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

#define REQUIRE_MDBTOOLS()                                                         \
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty()) { \
        if (testsupport::runningInCi()) FAIL() << "mdbtools missing";             \
        GTEST_SKIP() << "mdbtools missing";                                       \
    }

// Runs a tool and expects success with nothing on standard error.
QString clean(const QString& program, const QStringList& args) {
    const ToolRun r = run(program, args);
    EXPECT_EQ(r.exitCode, 0) << qPrintable(program + " " + args.join(' '));
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(program + " " + args.join(' ') + " said: " + r.err);
    return r.out;
}

QStringList exportRows(const QString& file, const QString& table) {
    const QString out = clean("mdb-export", {"-H", "-T", "%Y-%m-%d %H:%M:%S", "-0", "NULL", "-b", "hex", file, table});
    QStringList lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

mdbw::Field field(const QString& name, int type, int size = 0) {
    mdbw::Field f;
    f.name = name;
    f.type = type;
    f.size = size;
    return f;
}

QString memoText(int chars) {
    QString s;
    for (int i = 0; s.size() < chars; ++i) s += QStringLiteral("Zeile %1 mit Umlauten äöü; ").arg(i);
    s.truncate(chars);
    return s;
}

// One table with every field type, and rows that touch nulls, umlauts, quotes and long values.
QString writeAllTypes() {
    mdbw::Database db;
    auto& t = db.addTable("Alle Typen");
    t.addField(field("JaNein", mdbw::type::Boolean));
    t.addField(field("Byte", mdbw::type::Byte));
    t.addField(field("Ganz", mdbw::type::Integer));
    t.addField(field("Lang", mdbw::type::Long));
    t.addField(field("Geld", mdbw::type::Currency));
    t.addField(field("Einfach", mdbw::type::Single));
    t.addField(field("Doppelt", mdbw::type::Double));
    t.addField(field("Datum", mdbw::type::DateTime));
    t.addField(field("Bin", mdbw::type::Binary, 8));
    t.addField(field("Name", mdbw::type::Text, 40));
    t.addField(field("Bild", mdbw::type::LongBinary));
    t.addField(field("Notiz", mdbw::type::Memo));
    t.addField(field("Kennung", mdbw::type::Guid));
    QByteArray bigOle(10000, 0);
    for (int i = 0; i < bigOle.size(); ++i) bigOle[i] = char(i % 251);
    t.addRow({true, 200, -1234, 123456789, "1234.5678", 1.5, 2.25, QDateTime(QDate(2004, 3, 7), QTime(10, 20, 30)),
              QByteArray("ABCD"), "Müller & Söhne 'Ltd' \"Nord\"", QByteArray::fromHex("cafebabe"), "kurz",
              "{12345678-9abc-def0-1234-56789abcdef0}"});
    t.addRow({false, QVariant(), QVariant(), -5, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
              bigOle, memoText(1500), QVariant()});
    t.addRow({true, 0, 0, 0, "-0.0001", -0.5, 1e100, QTime(23, 59, 59), QVariant(), "ß", QVariant(), memoText(7000), QVariant()});
    const QString path = QDir(testsupport::tempFolder()).filePath("alle.mdb");
    db.write(path);
    return path;
}

TEST(MdbWriterMdbtools, EveryTypeReadsBackThroughMdbExport) {
    REQUIRE_MDBTOOLS();
    const QString path = writeAllTypes();
    EXPECT_EQ(str(clean("mdb-ver", {path}).trimmed()), "JET4");
    EXPECT_EQ(str(clean("mdb-count", {path, "Alle Typen"}).trimmed()), "3");

    const QString schema = clean("mdb-schema", {"-T", "Alle Typen", path});
    for (const char* line : {"[JaNein]\t\t\tBoolean", "[Byte]\t\t\tByte", "[Ganz]\t\t\tInteger", "[Lang]\t\t\tLong Integer",
                             "[Geld]\t\t\tCurrency", "[Einfach]\t\t\tSingle", "[Doppelt]\t\t\tDouble",
                             "[Datum]\t\t\tDateTime", "[Bin]\t\t\tBinary", "[Name]\t\t\tText (40)", "[Bild]\t\t\tOLE",
                             "[Notiz]\t\t\tMemo/Hyperlink", "[Kennung]\t\t\tReplication ID"})
        EXPECT_TRUE(schema.contains(QLatin1String(line))) << line << "\n" << qPrintable(schema);

    const QStringList rows = exportRows(path, "Alle Typen");
    ASSERT_EQ(rows.size(), 3);
    // In hex mode mdb-export writes binary columns and the GUID's text as hex digits; libmdb's GUID
    // text leaves out the dash between the fourth and fifth group.
    EXPECT_EQ(str(rows[0]),
              "1,200,-1234,123456789,1234.5678,1.5,2.25,\"2004-03-07 10:20:30\",\"41424344\",\"Müller & Söhne 'Ltd' \"\"Nord\"\"\","
              "\"CAFEBABE\",\"kurz\",\"" +
                  QByteArray("{12345678-9ABC-DEF0-123456789ABCDEF0}").toHex().toUpper().toStdString() + "\"");
    QString bigHex = QString::fromLatin1([] {
                         QByteArray b(10000, 0);
                         for (int i = 0; i < b.size(); ++i) b[i] = char(i % 251);
                         return b.toHex().toUpper();
                     }());
    // mdb-export prints a NUL-free binary column cut at the first NUL; the 10,000-byte OLE value spans
    // three LVAL pages and must come back whole.
    const QString second = rows[1];
    EXPECT_TRUE(second.startsWith("0,NULL,NULL,-5,NULL,NULL,NULL,NULL,NULL,NULL,\"" + bigHex + "\",\"" + memoText(1500) + "\",NULL"))
        << qPrintable(second.left(200));
    EXPECT_EQ(str(rows[2]), str("1,0,0,0,-0.0001,-0.5,1e+100,\"1899-12-30 23:59:59\",NULL,\"ß\",NULL,\"" + memoText(7000) + "\",NULL"));
}

TEST(MdbWriterMdbtools, PropertiesIndexesAndRelationshipsAreSeen) {
    REQUIRE_MDBTOOLS();
    mdbw::Database db;
    auto& kunden = db.addTable("Kunden");
    mdbw::Field nr = field("Nr", mdbw::type::Long);
    nr.required = true;
    kunden.addField(nr);
    mdbw::Field ort = field("Ort", mdbw::type::Text, 30);
    ort.defaultValue = "\"München\"";
    kunden.addField(ort);
    mdbw::Field aktiv = field("Aktiv", mdbw::type::Boolean);
    aktiv.defaultValue = "Yes";
    kunden.addField(aktiv);
    kunden.addIndex({"PrimaryKey", {"Nr"}, true, true, false, {}});
    kunden.addIndex({"OrtNr", {"Ort", "Nr"}, false, true, false, {false, true}});
    kunden.addRow({1, "Köln", true});
    auto& auftraege = db.addTable("Auftraege");
    auftraege.addField(field("AuftragNr", mdbw::type::Long));
    auftraege.addField(field("KundenNr", mdbw::type::Long));
    auftraege.addIndex({"PrimaryKey", {"AuftragNr"}, true, true, false, {}});
    auftraege.addRow({7, 1});
    db.addRelation({"KundenAuftraege", "Kunden", "Auftraege", mdbw::kRelationCascadeUpdate | mdbw::kRelationCascadeDelete,
                    {{"Nr", "KundenNr"}}});
    const QString path = QDir(testsupport::tempFolder()).filePath("rel.mdb");
    db.write(path);

    const QString props = clean("mdb-prop", {path, "Kunden"});
    EXPECT_TRUE(props.contains("name: Nr\n\tRequired: yes")) << qPrintable(props);
    EXPECT_TRUE(props.contains("name: Ort\n\tDefaultValue: \"München\"")) << qPrintable(props);
    EXPECT_TRUE(props.contains("name: Aktiv\n\tDefaultValue: Yes")) << qPrintable(props);

    const QString schema = clean("mdb-schema", {"--indexes", "--relations", path, "postgres"});
    EXPECT_TRUE(schema.contains("ALTER TABLE \"kunden\" ADD CONSTRAINT \"kunden_pkey\" PRIMARY KEY (\"nr\");")) << qPrintable(schema);
    EXPECT_TRUE(schema.contains("CREATE UNIQUE INDEX \"kunden_ortnr_idx\" ON \"kunden\" (\"ort\", \"nr\" DESC);")) << qPrintable(schema);
    EXPECT_TRUE(schema.contains("FOREIGN KEY (\"kundennr\") REFERENCES \"Kunden\"(\"nr\") ON UPDATE CASCADE ON DELETE CASCADE"))
        << qPrintable(schema);

    EXPECT_EQ(str(exportRows(path, "MSysRelationships")),
              str(QStringList{"1,4352,0,\"KundenNr\",\"Auftraege\",\"Nr\",\"Kunden\",\"KundenAuftraege\""}));
}

TEST(MdbWriterMdbtools, HiddenAndSystemTablesAndQueryRows) {
    REQUIRE_MDBTOOLS();
    mdbw::Database db;
    db.addTable("Sichtbar").addField(field("A", mdbw::type::Long));
    db.addTable("Versteckt").setFlags(mdbw::kHidden).addField(field("A", mdbw::type::Long));
    db.addTable("USysIntern").setFlags(mdbw::kSystemAccess).addField(field("A", mdbw::type::Long));
    mdbw::SelectParts p;
    p.distinctRow = true;
    p.top = 5;
    p.columns = {{"Left([Name],3)", "Kurz"}};
    p.tables = {{"Sichtbar", {}}};
    p.where = "[Ort]=\"München\"";
    p.orderBy = {{"Sichtbar.A", true}};
    db.addSelectQuery("Abfrage", p);
    const QString path = QDir(testsupport::tempFolder()).filePath("flags.mdb");
    db.write(path);

    // libmdb ignores the hidden bit; the system bit keeps a table out of the plain list.
    EXPECT_EQ(str(clean("mdb-tables", {"-1", path}).split('\n', Qt::SkipEmptyParts)), str(QStringList{"Sichtbar", "Versteckt"}));
    EXPECT_EQ(str(clean("mdb-tables", {"-1", "-S", path}).split('\n', Qt::SkipEmptyParts)),
              str(QStringList{"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships", "Sichtbar", "Versteckt", "USysIntern"}));

    // Attribute, Expression, Flag, LvExtra, Name1, Name2, ObjectId, Order. libmdb cuts binary
    // values at the first NUL, so the big-endian Order shows as NULL here.
    const QString id = "-2147483648";
    EXPECT_EQ(str(exportRows(path, "MSysQueries")),
              str(QStringList{"0,NULL,NULL,NULL,NULL,NULL," + id + ",NULL",
                           "1,NULL,1,NULL,NULL,NULL," + id + ",NULL",
                           "3,NULL,24,NULL,\"5\",NULL," + id + ",NULL",
                           "5,NULL,NULL,NULL,\"Sichtbar\",NULL," + id + ",NULL",
                           "6,\"Left([Name],3)\",0,NULL,\"Kurz\",NULL," + id + ",NULL",
                           "8,\"[Ort]=\"\"München\"\"\",NULL,NULL,NULL,NULL," + id + ",NULL",
                           "11,\"Sichtbar.A\",NULL,NULL,\"D\",NULL," + id + ",NULL",
                           "255,NULL,NULL,NULL,NULL,NULL," + id + ",NULL"}));
    const QStringList catalog = exportRows(path, "MSysObjects");
    EXPECT_TRUE(catalog.filter("\"Abfrage\",5,").size() == 1) << qPrintable(catalog.join('\n'));
    EXPECT_TRUE(catalog.filter(QRegularExpression(",\"Versteckt\",1,[^,]*,[^,]*,NULL,8,")).size() == 1);
    EXPECT_TRUE(catalog.filter(QRegularExpression(",\"USysIntern\",1,[^,]*,[^,]*,NULL,2,")).size() == 1);
}

TEST(MdbWriterMdbtools, LargeTableUsesMapPagesAndKeepsEveryRow) {
    REQUIRE_MDBTOOLS();
    mdbw::Database db;
    auto& t = db.addTable("Gross");
    t.addField(field("Nr", mdbw::type::Long));
    t.addField(field("Name", mdbw::type::Text, 30));
    t.addField(field("Wert", mdbw::type::Double));
    t.generateRows(60000, [](qint64 n, mdbw::Row& row) {
        row[0] = n + 1;
        row[1] = QStringLiteral("Zeile %1").arg(n + 1);
        row[2] = double(n) / 4;
    });
    const QString path = QDir(testsupport::tempFolder()).filePath("gross.mdb");
    db.write(path);
    EXPECT_EQ(str(clean("mdb-count", {path, "Gross"}).trimmed()), "60000");
    const QStringList rows = exportRows(path, "Gross");
    ASSERT_EQ(rows.size(), 60000);
    EXPECT_EQ(str(rows.first()), "1,\"Zeile 1\",0");
    EXPECT_EQ(str(rows[12345]), "12346,\"Zeile 12346\",3086.25");
    EXPECT_EQ(str(rows.last()), "60000,\"Zeile 60000\",14999.75");
}

TEST(MdbWriterMdbtools, WideDefinitionsTinyRowsAndLookups) {
    REQUIRE_MDBTOOLS();
    mdbw::Database db;
    // 200 columns and 30 indexes: the table definition spans several pages.
    auto& wide = db.addTable("Breit");
    mdbw::Row values;
    for (int i = 0; i < 200; ++i) {
        wide.addField(field(QStringLiteral("Spalte_mit_langem_Namen_%1").arg(i, 3, 10, QLatin1Char('0')), mdbw::type::Text, 10));
        values << QStringLiteral("w%1").arg(i);
    }
    for (int i = 0; i < 30; ++i)
        wide.addIndex({QStringLiteral("Index%1").arg(i), {wide.fields()[i].name}, i == 0, i == 0, false, {}});
    wide.addRow(values);
    // Seven-byte rows: a page holds at most 255 of them, whatever room is left.
    auto& tiny = db.addTable("Schmal");
    tiny.addField(field("B", mdbw::type::Boolean));
    tiny.generateRows(1000, [](qint64 n, mdbw::Row& row) { row[0] = n % 4 == 0; });
    const QString path = QDir(testsupport::tempFolder()).filePath("breit.mdb");
    db.write(path);

    // mdb-schema says so on standard error whenever a file has no relationships.
    const ToolRun r = run("mdb-schema", {"--indexes", path, "mysql"});
    EXPECT_EQ(str(r.err.trimmed()), "No MSysRelationships");
    const QString schema = r.out;
    EXPECT_TRUE(schema.contains("`Spalte_mit_langem_Namen_199`\t\t\tvarchar")) << qPrintable(schema.left(300));
    EXPECT_EQ(schema.count("ADD INDEX"), 29);
    EXPECT_TRUE(schema.contains("ALTER TABLE `Breit` ADD PRIMARY KEY (`Spalte_mit_langem_Namen_000`);"));
    const QStringList row = exportRows(path, "Breit");
    ASSERT_EQ(row.size(), 1);
    EXPECT_EQ(str(row[0].section(',', 199, 199)), "\"w199\"");
    const QStringList flags = exportRows(path, "Schmal");
    EXPECT_EQ(flags.size(), 1000);
    EXPECT_EQ(flags.count("1"), 250);

    // The indexes point at empty leaf pages; mdb-sql still finds rows by the key, by scanning.
    QProcess sql;
    sql.start("mdb-sql", {"-P", path});
    sql.write("select Spalte_mit_langem_Namen_001 from Breit where Spalte_mit_langem_Namen_000 = 'w0'\ngo\n");
    sql.closeWriteChannel();
    ASSERT_TRUE(sql.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(sql.readAllStandardOutput()).contains("w1\n1 Row retrieved"));
}

TEST(MdbWriterMdbtools, SampleDatabaseReadsCleanly) {
    REQUIRE_MDBTOOLS();
    const QString dir = testsupport::tempFolder();
    mdbw::writeSample(dir);
    const QString path = QDir(dir).filePath("ZABRIX.MDB");
    const QStringList tables = clean("mdb-tables", {"-1", path}).split('\n', Qt::SkipEmptyParts);
    for (const char* name : {"AdressenStamm", "Kunden", "Artikel", "Auftraege", "Auftragspositionen", "Terminkalender",
                             "Formularprotokoll", "Laender"})
        EXPECT_TRUE(tables.contains(QLatin1String(name))) << name;
    int total = 0;
    for (const QString& t : tables) {
        const int n = clean("mdb-count", {path, t}).trimmed().toInt();
        EXPECT_EQ(exportRows(path, t).size() >= n, true) << qPrintable(t);
        total += n;
    }
    EXPECT_GE(total, 300);
    const QString schema = clean("mdb-schema", {"-T", "Terminkalender", path});
    for (const char* col : {"[datum]", "[zeit]", "[zeit1]"}) EXPECT_TRUE(schema.contains(QLatin1String(col))) << col;
    EXPECT_TRUE(clean("mdb-prop", {path, "AdressenStamm"}).contains("name: Ort\n\tDefaultValue: \"München\""));
}

}  // namespace

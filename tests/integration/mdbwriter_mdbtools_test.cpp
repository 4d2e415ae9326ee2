// Files made by the fixture writer, read by mdbtools' own command-line programs: they must read
// them without a word on standard error and see the tables, columns, properties and rows written.
#include "common/Fixtures.h"
#include "mdbwriter/MdbWriter.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// Texts compared as std::string, so that failures print readably.
std::string str(const QString& s) { return s.toStdString(); }

#define REQUIRE_MDBTOOLS()                                                                                             \
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty()) {                                      \
        if (testsupport::runningInCi())                                                                                \
            FAIL() << "mdbtools missing";                                                                              \
        GTEST_SKIP() << "mdbtools missing";                                                                            \
    }

// Runs a tool and expects success with nothing on standard error.
QString clean(const QString& program, const QStringList& args)
{
    const QString call = program + " " + args.join(' ');
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << qPrintable(call);
    EXPECT_EQ(p.exitCode(), 0) << qPrintable(call);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.isEmpty()) << qPrintable(call + " said: " + err);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList exportRows(const QString& file, const QString& table)
{
    const QString out = clean("mdb-export", {"-H", "-T", "%Y-%m-%d %H:%M:%S", "-0", "NULL", "-b", "hex", file, table});
    QStringList lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

using mdbw::field;

// 10,000 bytes: three LVAL pages.
QByteArray bigOle()
{
    QByteArray b(10000, 0);
    for (int i = 0; i < b.size(); ++i)
        b[i] = char(i % 251);
    return b;
}

QString memoText(int chars)
{
    QString s;
    for (int i = 0; s.size() < chars; ++i)
        s += QStringLiteral("Zeile %1 mit Umlauten äöü; ").arg(i);
    s.truncate(chars);
    return s;
}

// One table with every field type, and rows that touch nulls, umlauts, quotes and long values.
QString writeAllTypes()
{
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
    t.addRow({true, 200, -1234, 123456789, "1234.5678", 1.5, 2.25, QDateTime(QDate(2004, 3, 7), QTime(10, 20, 30)),
              QByteArray("ABCD"), "Müller & Söhne 'Ltd' \"Nord\"", QByteArray::fromHex("cafebabe"), "kurz",
              "{12345678-9abc-def0-1234-56789abcdef0}"});
    t.addRow({false, QVariant(), QVariant(), -5, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
              bigOle(), memoText(1500), QVariant()});
    t.addRow({true, 0, 0, 0, "-0.0001", -0.5, 1e100, QTime(23, 59, 59), QVariant(), "ß", QVariant(), memoText(7000),
              QVariant()});
    const QString path = QDir(testsupport::tempFolder()).filePath("alle.mdb");
    db.write(path);
    return path;
}

TEST(MdbWriterMdbtools, EveryTypeReadsBackThroughMdbExport)
{
    REQUIRE_MDBTOOLS();
    const QString path = writeAllTypes();
    EXPECT_EQ(str(clean("mdb-ver", {path}).trimmed()), "JET4");
    EXPECT_EQ(str(clean("mdb-count", {path, "Alle Typen"}).trimmed()), "3");

    const QString schema = clean("mdb-schema", {"-T", "Alle Typen", path});
    for (const char* line :
         {"[JaNein]\t\t\tBoolean", "[Byte]\t\t\tByte", "[Ganz]\t\t\tInteger", "[Lang]\t\t\tLong Integer",
          "[Geld]\t\t\tCurrency", "[Einfach]\t\t\tSingle", "[Doppelt]\t\t\tDouble", "[Datum]\t\t\tDateTime",
          "[Bin]\t\t\tBinary", "[Name]\t\t\tText (40)", "[Bild]\t\t\tOLE", "[Notiz]\t\t\tMemo/Hyperlink",
          "[Kennung]\t\t\tReplication ID"})
        EXPECT_TRUE(schema.contains(QLatin1String(line))) << line << "\n" << qPrintable(schema);

    const QStringList rows = exportRows(path, "Alle Typen");
    ASSERT_EQ(rows.size(), 3);
    // In hex mode mdb-export writes binary columns and the GUID's text as hex digits; libmdb's GUID
    // text leaves out the dash between the fourth and fifth group.
    EXPECT_EQ(str(rows[0]), "1,200,-1234,123456789,1234.5678,1.5,2.25,\"2004-03-07 10:20:30\",\"41424344\",\"Müller & "
                            "Söhne 'Ltd' \"\"Nord\"\"\","
                            "\"CAFEBABE\",\"kurz\",\"" +
                                QByteArray("{12345678-9ABC-DEF0-123456789ABCDEF0}").toHex().toUpper().toStdString() +
                                "\"");
    // mdb-export prints a NUL-free binary column cut at the first NUL; the OLE value must come back whole.
    const QString second = rows[1];
    EXPECT_TRUE(second.startsWith("0,NULL,NULL,-5,NULL,NULL,NULL,NULL,NULL,NULL,\"" + bigOle().toHex().toUpper() +
                                  "\",\"" + memoText(1500) + "\",NULL"))
        << qPrintable(second.left(200));
    EXPECT_EQ(str(rows[2]), str("1,0,0,0,-0.0001,-0.5,1e+100,\"1899-12-30 23:59:59\",NULL,\"ß\",NULL,\"" +
                                memoText(7000) + "\",NULL"));
}

}  // namespace

// Values of every field type, read back from a file our own writer made with known contents, and
// a linked table in it.
#include "common/Fixtures.h"
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"

#include <gtest/gtest.h>
#include <limits>

#ifdef DORVEX_HAVE_MDBWRITER
#include "dataaccess/mdb/TableLayout.h"
#include "mdbwriter/MdbWriter.h"

#include <QDir>
#include <QHash>

namespace {

using mdbw::field;

QString writeValuesFile()
{
    constexpr quint32 kMarker = 0x00C0FFE0;
    mdbw::Database db;
    mdbw::Table& t = db.addTable(QStringLiteral("Werte"));
    t.addField(field("Nr", mdbw::type::Long, 0, true))
        .addField(field("Name", mdbw::type::Text, 20))
        .addField(field("Aktiv", mdbw::type::Boolean))
        .addField(field("Preis", mdbw::type::Currency))
        .addField(field("Faktor", mdbw::type::Single))
        .addField(field("Wert", mdbw::type::Double))
        .addField(field("Am", mdbw::type::DateTime))
        .addField(field("Roh", mdbw::type::Binary, 8))
        .addField(field("Bild", mdbw::type::LongBinary))
        .addField(field("Notiz", mdbw::type::Memo))
        .addField(field("Kennung", mdbw::type::Guid))
        .addField(field("Klein", mdbw::type::Byte))
        .addField(field("Menge", mdbw::type::Integer));
    QByteArray blob(20000, '\0');
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = char(i * 7);
    const QString longMemo = QString(30000, QChar(u'x')) + QStringLiteral("Ende ÄÖÜ €");
    t.addRow({1, QStringLiteral("Müller"), true, QStringLiteral("3.5"), 0.15, 1.0 / 3.0,
              QStringLiteral("1899-12-29 12:00:00"), QByteArray("\x01\x00\x02", 3), blob, longMemo,
              QStringLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}"), 255, -32768});
    t.addRow({2, QStringLiteral(""), false, QStringLiteral("-922337203685477.5808"), -1e-5, 1e300,
              QStringLiteral("9999-12-31 23:59:59"), QVariant(), QVariant(), QStringLiteral(""), QVariant(), 0, 32767});
    // Our writer makes local tables only: "Fern" becomes a linked table below.
    db.addTable(QStringLiteral("Fern")).setFlags(kMarker).addField(field("Nr", mdbw::type::Long)).addRow({1});
    const QString path = QDir(testsupport::tempFolder()).filePath(QStringLiteral("werte.mdb"));
    db.write(path);
    // Type 6 in its catalog row is how Access stores a table linked from another Access database;
    // the row is found by a Flags value no other row has.
    QHash<QString, int> offset;
    for (const auto& c : accessdb::mdb::readTableLayout(accessdb::mdb::AccessFile(path), 2, "MSysObjects").columns)
        offset.insert(c.name, c.fixedOffset);
    QByteArray bytes = testsupport::readFile(path);
    const qsizetype flags = bytes.indexOf(QByteArray::fromRawData(reinterpret_cast<const char*>(&kMarker), 4));
    bytes[flags - offset["Flags"] + offset["Type"]] = 6;
    bytes[flags - offset["Flags"] + offset["Type"] + 1] = 0;
    return testsupport::writeFile(path, bytes);
}

}  // namespace

TEST(MdbValues, EveryTypeAsTheRecordSetGivesIt)
{
    // Dates are decoded by a routine of their own and checked against the calendar in its unit test.
    auto db = accessdb::openDatabase(writeValuesFile());
    auto rs = db->openRecordset(QStringLiteral("Werte"));
    EXPECT_EQ(rs->value(1).text, QStringLiteral("Müller"));
    EXPECT_EQ(rs->value(2).text, "TRUE");
    EXPECT_EQ(rs->value(3).integer, 35000);  // Currency in ten-thousandths
    EXPECT_EQ(rs->value(4).real, double(0.15f));
    EXPECT_EQ(rs->value(5).real, 1.0 / 3.0);
    EXPECT_EQ(rs->value(6).hour, 12);
    EXPECT_EQ(rs->value(7).bytes, QByteArray("\x01\x00\x02", 3));  // not cut at the zero byte
    EXPECT_EQ(rs->value(8).bytes.size(), 20000);                   // spread over several pages
    EXPECT_EQ(rs->value(8).bytes[19999], char(19999 * 7));
    EXPECT_EQ(rs->value(9).text.size(), 30000 + 10);  // longer than libmdb's bind buffer
    EXPECT_TRUE(rs->value(9).text.endsWith(QStringLiteral("Ende ÄÖÜ €")));
    EXPECT_EQ(rs->value(10).text, "{01234567-89AB-CDEF-0123-456789ABCDEF}");
    EXPECT_EQ(rs->value(10).bytes.size(), 16);
    EXPECT_EQ(rs->value(11).integer, 255);
    EXPECT_EQ(rs->value(12).integer, -32768);
    // Row 2: empty texts are not null, missing values are; extremes exact.
    rs->moveNext();
    EXPECT_EQ(rs->value(3).integer, std::numeric_limits<qint64>::min());
    EXPECT_EQ(rs->value(4).real, double(-1e-5f));
    EXPECT_EQ(rs->value(5).real, 1e300);
    EXPECT_EQ(rs->value(6).text, "31.12.9999 23:59:59");
    for (const auto& [i, text] : {std::pair{1, ""}, {2, "FALSE"}, {9, ""}}) {
        EXPECT_FALSE(rs->value(i).isNull) << i;
        EXPECT_EQ(rs->value(i).text, text) << i;
    }
    for (int i : {7, 8, 10})
        EXPECT_TRUE(rs->value(i).isNull) << i;
}

TEST(MdbValues, LinkedTablesAreListedButCannotBeOpened)
{
    auto db = accessdb::openDatabase(writeValuesFile());
    const accessdb::TableDef& fern = db->tableDef(QStringLiteral("Fern"));
    ASSERT_TRUE(fern.linked);
    EXPECT_EQ(fern.attributes & accessdb::kSystemObjectBits, 0u);
    EXPECT_FALSE(db->tableDef(QStringLiteral("Werte")).linked);
    try {
        db->openRecordset(QStringLiteral("Fern"));
        FAIL() << "a linked table opened";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::err::AccessCannotOpenLinked);
        EXPECT_TRUE(e.description().contains(QStringLiteral("'Fern'"))) << e.description().toStdString();
    }
    // The other table still reads.
    EXPECT_EQ(db->openRecordset(QStringLiteral("Werte"))->value(0).integer, 1);
}
#endif

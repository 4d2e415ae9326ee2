// Values of every field type, read back from a file our own writer made with known contents.
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "common/Fixtures.h"

#include <gtest/gtest.h>

#ifdef DORVEX_HAVE_MDBWRITER
#include "mdbwriter/MdbWriter.h"

#include <QDir>
#include <QUuid>

namespace {

QString writeValuesFile()
{
    mdbw::Database db;
    mdbw::Table& t = db.addTable(QStringLiteral("Werte"));
    using F = mdbw::Field;
    t.addField(F{"Nr", mdbw::type::Long, 0, true})
        .addField(F{"Name", mdbw::type::Text, 20})
        .addField(F{"Aktiv", mdbw::type::Boolean})
        .addField(F{"Preis", mdbw::type::Currency})
        .addField(F{"Faktor", mdbw::type::Single})
        .addField(F{"Wert", mdbw::type::Double})
        .addField(F{"Am", mdbw::type::DateTime})
        .addField(F{"Roh", mdbw::type::Binary, 8})
        .addField(F{"Bild", mdbw::type::LongBinary})
        .addField(F{"Notiz", mdbw::type::Memo})
        .addField(F{"Kennung", mdbw::type::Guid})
        .addField(F{"Klein", mdbw::type::Byte})
        .addField(F{"Menge", mdbw::type::Integer});
    QByteArray blob(20000, '\0');
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = char(i * 7);
    const QString longMemo = QString(30000, QChar(u'x')) + QStringLiteral("Ende ÄÖÜ €");
    t.addRow({1, QStringLiteral("Müller"), true, QStringLiteral("3.5"), 0.15, 1.0 / 3.0, QStringLiteral("1899-12-29 12:00:00"),
              QByteArray("\x01\x00\x02", 3), blob, longMemo, QStringLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}"),
              255, -32768});
    t.addRow({2, QStringLiteral(""), false, QStringLiteral("-922337203685477.5808"), -1e-5, 1e300,
              QStringLiteral("9999-12-31 23:59:59"), QVariant(), QVariant(), QStringLiteral(""), QVariant(), 0, 32767});
    t.addRow({3, QVariant(), false, QStringLiteral("0.0001"), 12345678.0, -0.1, QStringLiteral("0100-01-01"), QVariant(),
              QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    const QString path = QDir(testsupport::tempFolder()).filePath(QStringLiteral("werte.mdb"));
    db.write(path);
    return path;
}

}  // namespace

TEST(MdbValues, EveryTypeAsTheRecordSetGivesIt)
{
    auto db = access::openDatabase(writeValuesFile());
    rt::setDecimalSeparator(u',');
    auto rs = db->openRecordset(QStringLiteral("Werte"));
    // Row 1
    EXPECT_EQ(rs->value(1).text, QStringLiteral("Müller"));
    EXPECT_EQ(rs->value(2).text, "TRUE");
    EXPECT_EQ(rs->value(3).text, "3,5");
    EXPECT_EQ(rs->value(4).text, "0,15");
    EXPECT_EQ(rs->value(5).text, "0,333333333333333");
    const access::Value& am = rs->value(6);
    EXPECT_EQ(am.text, "29.12.1899 12:00:00");   // before day 0: the fraction still counts forward
    EXPECT_EQ(am.year * 10000 + am.month * 100 + am.day, 18991229);
    EXPECT_EQ(am.hour, 12);
    EXPECT_EQ(rs->value(7).bytes, QByteArray("\x01\x00\x02", 3));   // not cut at the zero byte
    EXPECT_EQ(rs->value(8).bytes.size(), 20000);                      // spread over several pages
    EXPECT_EQ(rs->value(8).bytes[19999], char(19999 * 7));
    EXPECT_EQ(rs->value(9).text.size(), 30000 + 10);                  // longer than libmdb's bind buffer
    EXPECT_TRUE(rs->value(9).text.endsWith(QStringLiteral("Ende ÄÖÜ €")));
    EXPECT_EQ(rs->value(10).text, "{01234567-89AB-CDEF-0123-456789ABCDEF}");
    EXPECT_EQ(rs->value(10).bytes.size(), 16);
    EXPECT_EQ(rs->value(11).text, "255");
    EXPECT_EQ(rs->value(12).text, "-32768");
    // Row 2: empty texts are not null; extremes exact.
    rs->moveNext();
    EXPECT_FALSE(rs->value(1).isNull);
    EXPECT_EQ(rs->value(1).text, "");
    EXPECT_EQ(rs->value(2).text, "FALSE");
    EXPECT_FALSE(rs->value(2).isNull);
    EXPECT_EQ(rs->value(3).text, "-922337203685477,5808");
    EXPECT_EQ(rs->value(4).text, "-1E-05");
    EXPECT_EQ(rs->value(5).text, "1E+300");
    EXPECT_EQ(rs->value(6).text, "31.12.9999 23:59:59");
    EXPECT_TRUE(rs->value(7).isNull);
    EXPECT_FALSE(rs->value(9).isNull);
    EXPECT_EQ(rs->value(9).text, "");
    EXPECT_TRUE(rs->value(10).isNull);
    // Row 3: nulls everywhere a value can be missing; Yes/No still has one.
    rs->moveNext();
    EXPECT_TRUE(rs->value(1).isNull);
    EXPECT_FALSE(rs->value(2).isNull);
    EXPECT_EQ(rs->value(3).text, "0,0001");
    EXPECT_EQ(rs->value(4).text, "1,234568E+07");
    EXPECT_EQ(rs->value(5).text, "-0,1");
    EXPECT_EQ(rs->value(6).text, "01.01.0100");
    for (int i : {8, 9, 11, 12})
        EXPECT_TRUE(rs->value(i).isNull) << i;
    rt::setDecimalSeparator(u'.');
}
#endif

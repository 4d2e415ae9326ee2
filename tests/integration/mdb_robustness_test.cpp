// Damaged and foreign files: every one is answered with a RuntimeError above 1000, never a
// crash or a hang. The damaged copies are made here from the sample files.
#include "common/Fixtures.h"
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using testsupport::readFile;
using testsupport::writeFile;

// Opens and reads everything; returns the error number, 0 when the file read cleanly.
int readAll(const QString& path)
{
    try {
        auto db = accessdb::openDatabase(path);
        for (const accessdb::TableDef& t : db->tableDefs()) {
            if (t.linked)
                continue;
            auto rs = db->openRecordset(t.name);
            for (; !rs->eof(); rs->moveNext())
                for (int i = 0; i < rs->fieldCount(); ++i)
                    (void)rs->value(i);
            rs->moveFirst();
            if (!rs->eof())
                rs->moveLast();
        }
        return 0;
    } catch (const rt::RuntimeError& e) {
        EXPECT_GT(e.number(), 1000) << e.description().toStdString();
        EXPECT_FALSE(e.description().isEmpty());
        return e.number();
    }
}

int openError(const QString& path)
{
    try {
        accessdb::openDatabase(path);
    } catch (const rt::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(MdbRobustness, MissingForeignAndEmptyFilesNameTheirCause)
{
    const QString folder = testsupport::tempFolder();
    EXPECT_EQ(openError(QDir(folder).filePath("fehlt.mdb")), rt::err::AccessFileNotFound);
    EXPECT_EQ(openError(folder), rt::err::AccessFileNotFound);  // a folder is no database
    EXPECT_EQ(openError(writeFile("leer.mdb", QByteArray())), rt::err::AccessNotAnAccessFile);
    EXPECT_EQ(openError(writeFile("text.mdb", QByteArray("Kunden;Nr\r\n1;2\r\n").repeated(500))),
              rt::err::AccessNotAnAccessFile);
    try {
        accessdb::openDatabase(QDir(folder).filePath("fehlt.mdb"));
    } catch (const rt::RuntimeError& e) {
        EXPECT_TRUE(e.description().contains("fehlt.mdb")) << e.description().toStdString();
    }
}

TEST(MdbRobustness, TruncatedCopiesRaiseInsteadOfCrashing)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    const QByteArray whole = readFile(path);
    for (qsizetype size :
         {qsizetype(100), qsizetype(2048), qsizetype(4096), qsizetype(6000), qsizetype(50000), whole.size() / 2}) {
        SCOPED_TRACE(size);
        const int err = readAll(writeFile(QStringLiteral("kurz%1.mdb").arg(size), whole.left(size)));
        EXPECT_NE(err, 0);
    }
    // Without its last page the file may still read: nothing needs to live there.
    readAll(writeFile(QStringLiteral("fastganz.mdb"), whole.left(whole.size() - 2048)));
}

TEST(MdbRobustness, RandomBytesBehindAValidHeaderRaise)
{
    REQUIRE_SHARED_FIXTURE(path, "nwind.mdb");
    QRandomGenerator rng(4711);
    const QByteArray header = readFile(path).left(2048);
    for (int i = 0; i < 5; ++i) {
        QByteArray junk(2048 * 40, Qt::Uninitialized);
        for (char& c : junk)
            c = char(rng.bounded(256));
        EXPECT_NE(readAll(writeFile(QStringLiteral("zufall%1.mdb").arg(i), header + junk)), 0);
    }
    QByteArray pure(100000, Qt::Uninitialized);
    for (char& c : pure)
        c = char(rng.bounded(256));
    EXPECT_EQ(openError(writeFile("rein.mdb", pure)), rt::err::AccessNotAnAccessFile);
}

// Flipped bits anywhere in the catalog, the table definitions and the data: the outcome may be a
// clean read or an error, but never a crash.
TEST(MdbRobustness, BitFlippedCopiesNeverCrash)
{
    for (const char* name : {"nwind.mdb", "DateTestDatabase.mdb"}) {
        REQUIRE_SHARED_FIXTURE(path, name);
        const QByteArray whole = readFile(path);
        QRandomGenerator rng(1234);
        for (int copy = 0; copy < 40; ++copy) {
            QByteArray bytes = whole;
            // Most flips land in the first pages, where the catalog and the definitions live.
            const int flips = 1 + int(rng.bounded(20));
            for (int k = 0; k < flips; ++k) {
                const qsizetype span = copy % 2 ? bytes.size() : qMin<qsizetype>(bytes.size(), 4096 * 30);
                const qsizetype at = qsizetype(rng.bounded(quint64(span)));
                bytes[at] = char(bytes[at] ^ (1 << rng.bounded(8)));
            }
            SCOPED_TRACE(copy);
            readAll(writeFile(QStringLiteral("kipp%1.mdb").arg(copy), bytes));
        }
    }
}

// The fuzzer's seeds and the inputs that once broke the reader stay readable or raise.
TEST(MdbRobustness, FuzzSeedsAndFormerFindings)
{
    const QDir corpus(QStringLiteral(DORVEX_SOURCE_DIR "/tests/fuzz/corpus/mdb"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        const int err = readAll(corpus.filePath(f));
        if (f.startsWith(QStringLiteral("regress_property"))) {
            EXPECT_EQ(err, rt::err::AccessDamaged);
        }
        if (f == QStringLiteral("writer_jet4.mdb")) {
            EXPECT_EQ(err, 0);
        }
    }
}

#ifdef DORVEX_HAVE_MDBWRITER
#include "mdbwriter/MdbWriter.h"

#include <QHash>
#include <cstring>

namespace {

// A table of 150 rows over several data pages, written by our writer; its data pages in order.
QByteArray customersFile(QList<int>& dataPages)
{
    mdbw::Database db;
    mdbw::Table& t = db.addTable(QStringLiteral("Kunden"));
    t.addField(mdbw::field(QStringLiteral("Nr"), mdbw::type::Long));
    t.addField(mdbw::field(QStringLiteral("Name"), mdbw::type::Text, 200));
    for (int i = 1; i <= 150; ++i)
        t.addRow({i, QStringLiteral("Kunde %1 ").arg(i).repeated(12)});
    const QString path = QDir(testsupport::tempFolder()).filePath("kunden_ganz.mdb");
    db.write(path);
    const QByteArray bytes = readFile(path);
    // Data pages (type 1) grouped by the table definition that owns them: the big group is ours.
    QHash<quint32, QList<int>> byOwner;
    for (int p = 1; p * 4096 < bytes.size(); ++p) {
        if (bytes[p * 4096] != 0x01)
            continue;
        quint32 owner;
        std::memcpy(&owner, bytes.constData() + p * 4096 + 4, 4);
        byOwner[owner].append(p);
    }
    for (const QList<int>& pages : byOwner)
        if (pages.size() > dataPages.size())
            dataPages = pages;
    return bytes;
}

}  // namespace

// Damage inside a table's data must stop the reading with 3049 naming the table, never end the
// record set early as if every row had been read.
TEST(MdbRobustness, DamagedDataPagesEndTheRecordSetWithAFailure)
{
    QList<int> pages;
    const QByteArray whole = customersFile(pages);
    ASSERT_GE(pages.size(), 4);
    const int at = pages[2] * 4096;
    const struct {
        const char* name;
        std::function<void(QByteArray&)> damage;
    } cases[] = {
        {"page zeroed", [&](QByteArray& b) { std::memset(b.data() + at, 0, 4096); }},
        {"page given to another table", [&](QByteArray& b) { b[at + 4] = char(b[at + 4] ^ 0x40); }},
        {"rows of the page gone",
         [&](QByteArray& b) {
             b[at + 12] = 0;
             b[at + 13] = 0;
         }},
        {"row offset outside the page", [&](QByteArray& b) { b[at + 15] = char(0x1F); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = whole;
        c.damage(bytes);
        auto db = accessdb::openDatabase(writeFile(QStringLiteral("kunden_%1.mdb").arg(c.name), bytes));
        long rows = 0;
        try {
            auto rs = db->openRecordset(QStringLiteral("Kunden"));
            for (; !rs->eof(); rs->moveNext(), ++rows)
                (void)rs->value(1);
            ADD_FAILURE() << "the damaged table read to its end with " << rows << " rows";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::err::AccessDamaged);
            EXPECT_TRUE(e.description().contains(QStringLiteral("Kunden"))) << e.description().toStdString();
            EXPECT_LT(rows, 150);
        }
        // moveLast counts the rows: the same damage, not a smaller count.
        EXPECT_EQ(readAll(writeFile(QStringLiteral("kunden_%1_b.mdb").arg(c.name), bytes)), rt::err::AccessDamaged);
    }
    // A last row found damaged by moveLast is named by its page alone, not by the scan's count.
    QByteArray bytes = whole;
    const int last = pages.last() * 4096;
    bytes[last + 15 + 2 * (quint8(bytes[last + 12]) - 1)] = char(0x1F);  // its offset outside the page
    auto rs = accessdb::openDatabase(writeFile("kunden_letzte.mdb", bytes))->openRecordset("Kunden");
    try {
        rs->moveLast();
        ADD_FAILURE() << "the damaged last row was read";
    } catch (const rt::RuntimeError& e) {
        EXPECT_FALSE(e.description().contains(QRegularExpression("Datensatz [0-9]"))) << e.description().toStdString();
    }
}
#endif

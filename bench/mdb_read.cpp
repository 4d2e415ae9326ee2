// Reading speed of the Access layer next to mdb-export, and the memory it needs.
//   bench_mdb_read                         nwind.mdb's Order Details and Orders
//   bench_mdb_read FILE TABLE...           the given tables
//   bench_mdb_read --make-large N FILE     writes a Jet 4 file with a table "Gross" of N rows
// Every column of every row is decoded through the record set, as the data copy reads it.
// The peak resident size is printed after reading, so runs on small and large tables compare.
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"

#ifdef __has_include
#if __has_include("mdbwriter/MdbWriter.h")
#include "mdbwriter/MdbWriter.h"
#define HAVE_WRITER 1
#endif
#endif

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <sys/resource.h>

namespace {

QString locateNwind()
{
    QStringList folders;
    if (qEnvironmentVariableIsSet("DORVEX_FIXTURES"))
        folders << qEnvironmentVariable("DORVEX_FIXTURES");
    // shared/fixtures beside the build's source tree or beside one of its parents.
    for (QDir d(QCoreApplication::applicationDirPath()); d.cdUp();)
        folders << d.filePath(QStringLiteral("shared/fixtures"));
    for (const QString& f : folders)
        if (QFileInfo::exists(f + QStringLiteral("/nwind.mdb")))
            return QFileInfo(f + QStringLiteral("/nwind.mdb")).absoluteFilePath();
    return QString();
}

long peakKb(int who)
{
    rusage u{};
    getrusage(who, &u);
    return u.ru_maxrss;
}

// Opens the file and reads the whole table; returns the row count.
long readOnce(const QString& path, const QString& table, qint64& chars)
{
    auto db = accessdb::openDatabase(path);
    auto rs = db->openRecordset(table);
    long rows = 0;
    for (; !rs->eof(); rs->moveNext(), ++rows)
        for (int i = 0; i < rs->fieldCount(); ++i) {
            const accessdb::Value& v = rs->value(i);
            chars += v.text.size() + v.bytes.size();
        }
    return rows;
}

bool exportOnce(const QString& path, const QString& table)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("mdb-export"), {path, table});
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

// Repeats f until at least minSeconds have passed; returns runs per second.
template <typename F>
double rate(F f, double minSeconds)
{
    QElapsedTimer t;
    t.start();
    int runs = 0;
    do {
        if (!f())
            return -1;
        ++runs;
    } while (t.nsecsElapsed() < qint64(minSeconds * 1e9));
    return runs / (double(t.nsecsElapsed()) / 1e9);
}

#ifdef HAVE_WRITER
mdbw::Field field(const char* name, int type, int size = 0)
{
    mdbw::Field f;
    f.name = QString::fromUtf8(name);
    f.type = type;
    f.size = size;
    return f;
}

int makeLarge(qint64 n, const QString& path)
{
    mdbw::Database db;
    mdbw::Table& t = db.addTable(QStringLiteral("Gross"));
    t.addField(field("Nr", mdbw::type::Long, 0))
        .addField(field("Name", mdbw::type::Text, 40))
        .addField(field("Preis", mdbw::type::Currency))
        .addField(field("Menge", mdbw::type::Integer))
        .addField(field("Rabatt", mdbw::type::Single))
        .addField(field("Am", mdbw::type::DateTime))
        .addField(field("Aktiv", mdbw::type::Boolean))
        .addField(field("Notiz", mdbw::type::Memo));
    t.generateRows(n, [](qint64 i, mdbw::Row& row) {
        row[0] = i + 1;
        row[1] = QStringLiteral("Kunde %1 Müller").arg(i);
        row[2] = QStringLiteral("%1.%2").arg(i % 10000).arg(i % 100, 2, 10, QLatin1Char('0'));
        row[3] = int(i % 30000);
        row[4] = double(i % 20) / 100.0;
        row[5] = 30000.0 + double(i % 5000) + 0.25;
        row[6] = i % 2 == 0;
        row[7] = i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("Bemerkung zu Zeile %1").arg(i));
    });
    db.write(path);
    std::printf("wrote %lld rows to %s\n", static_cast<long long>(n), qPrintable(path));
    return 0;
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QStringLiteral("--make-large")) {
#ifdef HAVE_WRITER
        return makeLarge(args[1].toLongLong(), args[2]);
#else
        std::fprintf(stderr, "built without the fixture writer\n");
        return 2;
#endif
    }
    QString path;
    QStringList tables;
    if (args.isEmpty()) {
        path = locateNwind();
        tables = {QStringLiteral("Order Details"), QStringLiteral("Orders")};
        if (path.isEmpty()) {
            std::fprintf(stderr, "nwind.mdb not found (set DORVEX_FIXTURES)\n");
            return 2;
        }
    } else {
        path = args.takeFirst();
        tables = args;
    }
    std::printf("%s\n%-16s %8s %16s %16s %16s\n", qPrintable(path), "table", "rows", "dorvex rows/s", "(open excluded)",
                "mdb-export rows/s");
    try {
        for (const QString& table : tables) {
            qint64 chars = 0;
            const long rows = readOnce(path, table, chars);
            const double withOpen = rate([&] { return readOnce(path, table, chars) == rows; }, 1.0) * rows;
            auto db = accessdb::openDatabase(path);
            const double readOnly = rate(
                                        [&] {
                                            auto rs = db->openRecordset(table);
                                            long n = 0;
                                            for (; !rs->eof(); rs->moveNext(), ++n)
                                                for (int i = 0; i < rs->fieldCount(); ++i)
                                                    chars += rs->value(i).text.size();
                                            return n == rows;
                                        },
                                        1.0) *
                                    rows;
            const double exported = rate([&] { return exportOnce(path, table); }, 1.0) * rows;
            std::printf("%-16s %8ld %16.0f %16.0f %16.0f\n", qPrintable(table), rows, withOpen, readOnly, exported);
        }
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "error %d: %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    // (A child's peak would include the copy of this process made when it was started, so only
    // this process's own peak is shown.)
    std::printf("peak resident size: %ld kB\n", peakKb(RUSAGE_SELF));
    return 0;
}

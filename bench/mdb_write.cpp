// Writing a large Access file with the fixture writer: 1,000,000 rows of a 14-column table.
//   bench_mdb_write [ROWS] [OUT.mdb]
// Prints the wall-clock and CPU seconds and the file size. Wall-clock figures depend on the load of
// the machine; the CPU figures less so.
#include "mdbwriter/MdbWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 rows = args.size() > 1 ? args[1].toLongLong() : 1000000;
    QTemporaryDir tmp;
    const QString path = args.size() > 2 ? args[2] : QDir(tmp.path()).filePath("gross.mdb");

    mdbw::Database db;
    auto& t = db.addTable("Bewegungen");
    auto add = [&t](const char* name, int type, int size = 0) {
        mdbw::Field f;
        f.name = name;
        f.type = type;
        f.size = size;
        t.addField(f);
    };
    add("Nr", mdbw::type::Long);
    add("Name", mdbw::type::Text, 40);
    add("Vorname", mdbw::type::Text, 30);
    add("Strasse", mdbw::type::Text, 50);
    add("PLZ", mdbw::type::Text, 10);
    add("Ort", mdbw::type::Text, 40);
    add("Betrag", mdbw::type::Double);
    add("Menge", mdbw::type::Integer);
    add("Datum", mdbw::type::DateTime);
    add("Aktiv", mdbw::type::Boolean);
    add("Rabatt", mdbw::type::Single);
    add("Kennziffer", mdbw::type::Long);
    add("Status", mdbw::type::Byte);
    add("Bemerkung", mdbw::type::Text, 80);
    t.addIndex({"PrimaryKey", {"Nr"}, true, true, false, {}});
    static const QString names[] = {"Müller", "Schmidt", "Schäfer", "Köhler", "O'Neill", "Weiß"};
    static const QString towns[] = {"München", "Köln", "Düsseldorf", "Nürnberg", "Lübeck"};
    const QDateTime base(QDate(2000, 1, 1), QTime(8, 0), Qt::UTC);
    t.generateRows(rows, [&](qint64 n, mdbw::Row& r) {
        r[0] = n + 1;
        r[1] = names[n % 6];
        r[2] = QStringLiteral("Vorname %1").arg(n % 1000);
        r[3] = QStringLiteral("Hauptstraße %1").arg(n % 200 + 1);
        r[4] = QString::number(10000 + n % 89999);
        r[5] = towns[n % 5];
        r[6] = double(n % 100000) / 100.0;
        r[7] = int(n % 30000);
        r[8] = base.addSecs(n * 37);
        r[9] = n % 3 != 0;
        r[10] = float(n % 20) / 100.0f;
        r[11] = int(n * 7 % 1000003);
        r[12] = int(n % 256);
        if (n % 4 == 0)
            r[13] = QStringLiteral("Bemerkung zu Zeile %1 – \"geprüft\"").arg(n + 1);
    });

    // The values themselves (texts formatted per row) cost time too; measured apart.
    QElapsedTimer gen;
    gen.start();
    const std::clock_t genCpu0 = std::clock();
    {
        mdbw::Row r;
        for (qint64 n = 0; n < rows; ++n) {
            r = mdbw::Row(14);
            t.generator()(n, r);
        }
    }
    const double genSeconds = gen.nsecsElapsed() / 1e9;
    const double genCpu = double(std::clock() - genCpu0) / CLOCKS_PER_SEC;

    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpu0 = std::clock();
    try {
        db.write(path);
    } catch (const mdbw::Error& e) {
        std::fprintf(stderr, "bench_mdb_write: %s\n", e.what());
        return 1;
    }
    const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
    const double seconds = wall.nsecsElapsed() / 1e9;
    const qint64 size = QFileInfo(path).size();
    std::printf("rows: %lld, columns: 14\n", static_cast<long long>(rows));
    std::printf("write: %.2f s wall, %.2f s CPU, %.0f rows/s (wall)\n", seconds, cpu, rows / seconds);
    std::printf("of which making the values alone: %.2f s wall, %.2f s CPU (writer's own CPU: %.2f s)\n", genSeconds,
                genCpu, cpu - genCpu);
    std::printf("file size: %lld bytes (%.1f MB, %lld pages)\n", static_cast<long long>(size), size / 1048576.0,
                static_cast<long long>(size / 4096));
    return 0;
}

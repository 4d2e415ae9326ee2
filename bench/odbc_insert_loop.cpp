// Rows per second of one INSERT per row (autocommit, direct execution) into a 14-column table:
// the bare ODBC loop, and the same statements through Dorvex's own SQL connection layer, with the
// CPU time per statement of each.
//
//   bench_odbc_insert_loop DSN [ROWS | FILE] [USER PASSWORD]
//   e.g. eval "$(scripts/servers env)"; build/bench/bench_odbc_insert_loop DORVEX_MARIADB 20000
//
// FILE holds one statement a line (e.g. `mdb-export -I sqlite -S 1`, so that a database shell can
// replay the very same text): the lines up to the first INSERT are run untimed before each of the
// two passes (say, DROP TABLE IF EXISTS and CREATE TABLE), the rest are timed.
#include "odbc_insert_loop.h"

#include "dataaccess/odbc/OdbcEngine.h"
#include "runtime/RuntimeError.h"

#include <QCoreApplication>
#include <QFile>
#include <clocale>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QStringList insertStatements(const QString& table, int rows)
{
    QStringList out;
    out.reserve(rows);
    for (int i = 1; i <= rows; ++i) {
        out << QStringLiteral("INSERT INTO %1 (Nr, Kunde, Name, Strasse, PLZ, Ort, Betrag, Rabatt, Menge, Datum, "
                              "Bemerkung, Aktiv, Kennung, Zeit) VALUES (%2, %3, 'Müller & Söhne %2', "
                              "'Hauptstraße %4', '%5', 'Köln', %6.25, 0.%7, %8, '2004-03-07 10:15:00', "
                              "'Lieferung frei Haus, Zahlung 30 Tage netto', %9, 'K-%2', '1899-12-30 08:30:00')")
                   .arg(table)
                   .arg(i)
                   .arg(i % 997)
                   .arg(i % 200)
                   .arg(10000 + i % 89999)
                   .arg(i % 5000)
                   .arg(i % 10)
                   .arg(i % 50)
                   .arg(i % 2);
    }
    return out;
}

// Setup lines and timed statements of a statement file; false when it cannot be read.
bool readStatementFile(const QString& path, QStringList& setup, QStringList& statements)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("--")))
            continue;
        if (statements.isEmpty() && !line.startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive))
            setup << line;
        else
            statements << line;
    }
    return true;
}

// User and system CPU seconds of this process so far.
std::pair<double, double> cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return {double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) / 1e6,
            double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) / 1e6};
}

void printCpu(std::pair<double, double> before, std::pair<double, double> after, qsizetype statements)
{
    std::printf("                       user %.1f µs, system %.1f µs per statement\n",
                (after.first - before.first) * 1e6 / double(statements),
                (after.second - before.second) * 1e6 / double(statements));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_CTYPE, "C.UTF-8");  // the SQLite driver converts wide texts by the locale
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DSN [ROWS | FILE] [USER PASSWORD]\n", argv[0]);
        return 2;
    }
    const QString dsn = QString::fromLocal8Bit(argv[1]);
    const QString second = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString user = argc > 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString password = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();

    QStringList setup, statements, teardown;
    bool isNumber = false;
    const int rows = second.isEmpty() ? 20000 : second.toInt(&isNumber);
    if (second.isEmpty() || isNumber) {
        const QString table = QStringLiteral("bench_odbc_%1").arg(qint64(::getpid()));
        setup << QStringLiteral("CREATE TABLE %1 (Nr INTEGER, Kunde INTEGER, Name VARCHAR(50), Strasse VARCHAR(50), "
                                "PLZ VARCHAR(10), Ort VARCHAR(50), Betrag DOUBLE PRECISION, Rabatt DOUBLE PRECISION, "
                                "Menge INTEGER, Datum DATETIME, Bemerkung VARCHAR(255), Aktiv SMALLINT, Kennung "
                                "VARCHAR(20), Zeit DATETIME)")
                     .arg(table);
        teardown << QStringLiteral("DROP TABLE %1").arg(table);
        statements = insertStatements(table, rows);
        std::printf("%d rows of 14 columns into %s, one INSERT each, autocommit\n", rows, qPrintable(dsn));
    } else {
        if (!readStatementFile(second, setup, statements) || statements.isEmpty()) {
            std::fprintf(stderr, "no statements in %s\n", qPrintable(second));
            return 2;
        }
        std::printf("%lld statements of %s into %s, autocommit\n", qint64(statements.size()), qPrintable(second),
                    qPrintable(dsn));
    }

    try {
        const auto before = cpuSeconds();
        const bench::LoopFigures bare = bench::runBareOdbcLoop(dsn, user, password, setup, statements, teardown);
        std::printf("bare ODBC loop:        %10.0f rows/s (%.2f s)\n", bare.perSecond(), bare.seconds);
        printCpu(before, cpuSeconds(), statements.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bare loop failed: %s\n", e.what());
        return 1;
    }

    try {
        auto engine = sql::createOdbcEngine();
        auto env = engine->createEnvironment(QStringLiteral("0Dorvex"), user, password);
        env->setUserName(user);
        env->setPassword(password);
        auto conn = env->openConnection(dsn);
        conn->setQueryTimeout(120);
        for (const QString& s : setup)
            conn->execute(s, sql::kExecDirect);
        QElapsedTimer timer;
        timer.start();
        const auto before = cpuSeconds();
        for (const QString& s : statements)
            conn->execute(s, sql::kExecDirect);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        const auto after = cpuSeconds();
        for (const QString& s : teardown)
            conn->execute(s, sql::kExecDirect);
        std::printf("Dorvex SQL layer:      %10.0f rows/s (%.2f s)\n", double(statements.size()) / seconds, seconds);
        printCpu(before, after, statements.size());
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "SQL layer failed: %s\n", e.what());
        return 1;
    }
    return 0;
}

// Rows per second of one INSERT per row (autocommit, direct execution) into a 14-column table:
// the bare ODBC loop, and the same statements through Dorvex's own SQL connection layer.
//
//   bench_odbc_insert_loop DSN [ROWS] [USER PASSWORD]
//   e.g. eval "$(scripts/servers env)"; build/bench/bench_odbc_insert_loop DORVEX_MARIADB 20000
#include "odbc_insert_loop.h"

#include "dataaccess/odbc/OdbcEngine.h"
#include "runtime/RuntimeError.h"

#include <QCoreApplication>
#include <clocale>
#include <cstdio>
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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_CTYPE, "C.UTF-8");  // the SQLite driver converts wide texts by the locale
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DSN [ROWS] [USER PASSWORD]\n", argv[0]);
        return 2;
    }
    const QString dsn = QString::fromLocal8Bit(argv[1]);
    const int rows = argc > 2 ? std::atoi(argv[2]) : 20000;
    const QString user = argc > 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString password = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();

    const QString table = QStringLiteral("bench_odbc_%1").arg(qint64(::getpid()));
    const QStringList setup = {
        QStringLiteral("CREATE TABLE %1 (Nr INTEGER, Kunde INTEGER, Name VARCHAR(50), Strasse VARCHAR(50), "
                       "PLZ VARCHAR(10), Ort VARCHAR(50), Betrag DOUBLE PRECISION, Rabatt DOUBLE PRECISION, "
                       "Menge INTEGER, Datum DATETIME, Bemerkung VARCHAR(255), Aktiv SMALLINT, Kennung VARCHAR(20), "
                       "Zeit DATETIME)").arg(table)};
    const QStringList teardown = {QStringLiteral("DROP TABLE %1").arg(table)};
    const QStringList statements = insertStatements(table, rows);

    std::printf("%d rows of 14 columns into %s, one INSERT each, autocommit\n", rows, qPrintable(dsn));
    try {
        const bench::LoopFigures bare = bench::runBareOdbcLoop(dsn, user, password, setup, statements, teardown);
        std::printf("bare ODBC loop:        %10.0f rows/s (%.2f s)\n", bare.perSecond(), bare.seconds);
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
        for (const QString& s : statements)
            conn->execute(s, sql::kExecDirect);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        for (const QString& s : teardown)
            conn->execute(s, sql::kExecDirect);
        std::printf("Dorvex SQL layer:      %10.0f rows/s (%.2f s)\n", rows / seconds, seconds);
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "SQL layer failed: %s\n", e.what());
        return 1;
    }
    return 0;
}

// The data copy of one table through the conversion window against the bare ODBC ceiling.
//
// Writes an Access table of ROWS rows (default 100,000) with the fixture writer, converts it with
// the conversion window's engine (structure, index, one INSERT per row, status line and progress
// as a user sees them) into SQLite (WAL) and MariaDB, and replays the very same INSERT statements
// (made beforehand by the same engine, checked against what the program sends) through a bare
// ODBC loop into a fresh copy of the table, taking turns over several rounds. Prints rows/s of
// both, the ratio, and the program's memory before and after a run (measured without a server).
//
//   eval "$(scripts/servers env)"; build/bench/bench_convert [ROWS [ROUNDS [SQLite|MariaDB]]]
#include "odbc_insert_loop.h"

#include "app/MDIForm_Main.h"
#include "dataaccess/AccessDatabase.h"
#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/DialogService.h"
#include "diag/Session.h"
#include "mdbwriter/MdbWriter.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "workbench/Konvertierung.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long currentRssKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// The program's own main window, shown, so that its progress bar and time label cost in the
// figures what they cost the program.
std::unique_ptr<MDIForm_Main> mainWindowFor(ServerKind kind)
{
    auto mw = std::make_unique<MDIForm_Main>();
    mw->show();
    const char* option = kind == ServerKind::MySQL ? "Option_MySQL" : "Option_MSSQL";
    mw->findChild<QRadioButton*>(QString::fromLatin1(option))->setChecked(true);
    return mw;
}

class QuietDialogs : public DialogService {
public:
    void message(const QString& text, const QString&, Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString&, const QString&, bool safeAnswer) override { return safeAnswer; }
    QString openFile(const QString& initialPath, const QString&) override { return initialPath; }
    void printLines(const QStringList&) override {}
    void printWidget(QWidget*) override {}
};

// The table and row statements of one conversion, for the replay.
struct Statements {
    QStringList creates, inserts;
};

// Takes every statement and does nothing: the program's own work alone. With `keep` it keeps the
// table and row statements (which costs memory that grows with the rows).
class NullConnection : public sql::Connection {
public:
    explicit NullConnection(bool keep = false) : keep_(keep) {}
    void setQueryTimeout(int) override {}
    QString name() const override { return QStringLiteral("null"); }
    QString versionText() override { return QString(); }
    void execute(const QString& statement, int) override
    {
        bytes += statement.size();
        if (!keep_)
            return;
        if (statement.startsWith(QLatin1String("INSERT")))
            kept.inserts << statement;
        else if (statement.startsWith(QLatin1String("CREATE")))
            kept.creates << statement;
    }
    std::unique_ptr<sql::ResultSet> openResultset(const QString&, int, int, int) override
    {
        throw rt::RuntimeError(rt::err::Odbc, QStringLiteral("null"), QStringLiteral("S0002: no tables here"));
    }
    void refreshTables() override {}
    std::shared_ptr<sql::Table> table(const QString&) override { return nullptr; }
    qint64 bytes = 0;
    Statements kept;

private:
    bool keep_;
};

// Passes every statement to the real connection, measures the time spent inside it and checks
// that the program sends what the replay sends: the count, and every 997th row statement word
// for word. It keeps nothing: a hundred thousand kept statements slow the program's own
// allocations and the driver's alike, a cost of the benchmark, not of the program.
class CheckedConnection : public sql::Connection {
public:
    CheckedConnection(std::shared_ptr<sql::Connection> inner, const Statements& expected)
        : inner_(std::move(inner)), expected_(expected)
    {}
    void setQueryTimeout(int s) override { inner_->setQueryTimeout(s); }
    QString name() const override { return inner_->name(); }
    QString versionText() override { return inner_->versionText(); }
    void execute(const QString& statement, int options) override
    {
        QElapsedTimer t;
        t.start();
        inner_->execute(statement, options);
        nsInside += t.nsecsElapsed();
        if (statement.startsWith(QLatin1String("INSERT"))) {
            if (inserts % 997 == 0 &&
                (inserts >= expected_.inserts.size() || expected_.inserts[qsizetype(inserts)] != statement))
                differs = true;
            ++inserts;
        }
    }
    std::unique_ptr<sql::ResultSet> openResultset(const QString& s, int t, int l, int o) override
    {
        return inner_->openResultset(s, t, l, o);
    }
    void refreshTables() override { inner_->refreshTables(); }
    std::shared_ptr<sql::Table> table(const QString& n) override { return inner_->table(n); }

    qint64 nsInside = 0;
    qint64 inserts = 0;
    bool differs = false;

private:
    std::shared_ptr<sql::Connection> inner_;
    const Statements& expected_;
};

void measureProgramAlone(const QString& mdbPath, qint64 rows, ServerKind kind)
{
    auto null = std::make_shared<NullConnection>();
    const auto mw = mainWindowFor(kind);
    session().Verbindung1 = null;
    Konvertierung window;
    window.setDatabase(accessdb::openDatabase(mdbPath));
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Bench"));
    QElapsedTimer timer;
    const long rssBefore = currentRssKb();
    const double cpuBefore = cpuSeconds();
    timer.start();
    window.Command1_SIK();
    const double seconds = double(timer.nsecsElapsed()) / 1e9, cpu = cpuSeconds() - cpuBefore;
    std::printf("program alone, %s kind (statements built and dropped): %.2f s, %.2f s CPU, %.1f us CPU per row, "
                "%.0f rows/s; memory %ld kB before, %ld kB after\n",
                qPrintable(serverKindName(kind)), seconds, cpu, 1e6 * cpu / double(rows), double(rows) / seconds,
                rssBefore, currentRssKb());
    session().Verbindung1.reset();
}

// The statements the conversion sends for a server kind, made by the same engine beforehand.
Statements captureStatements(const QString& mdbPath, ServerKind kind)
{
    auto keeping = std::make_shared<NullConnection>(true);
    const auto mw = mainWindowFor(kind);
    session().Verbindung1 = keeping;
    {
        Konvertierung window;
        window.setDatabase(accessdb::openDatabase(mdbPath));
        window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Bench"));
        window.Command1_SIK();
    }
    session().Verbindung1.reset();
    return keeping->kept;
}

void writeAccessTable(const QString& path, qint64 rows)
{
    mdbw::Database db;
    mdbw::Table& t = db.addTable(QStringLiteral("Bench"));
    t.addField({QStringLiteral("Nr"), mdbw::type::Long, 0, true})
        .addField({QStringLiteral("Name"), mdbw::type::Text, 50})
        .addField({QStringLiteral("Ort"), mdbw::type::Text, 40, false, QStringLiteral("\"München\"")})
        .addField({QStringLiteral("Betrag"), mdbw::type::Double})
        .addField({QStringLiteral("Menge"), mdbw::type::Integer})
        .addField({QStringLiteral("Datum"), mdbw::type::DateTime})
        .addField({QStringLiteral("Aktiv"), mdbw::type::Boolean})
        .addField({QStringLiteral("Bemerkung"), mdbw::type::Text, 100});
    t.addIndex({QStringLiteral("PrimaryKey"), {QStringLiteral("Nr")}, true, true});
    t.addIndex({QStringLiteral("Name"), {QStringLiteral("Name")}});
    t.generateRows(rows, [](qint64 i, mdbw::Row& row) {
        row[0] = i + 1;
        row[1] = QStringLiteral("Müller & Söhne %1").arg(i);
        row[2] = i % 7 == 0 ? QVariant() : QVariant(QStringLiteral("Köln"));
        row[3] = 1000.0 + double(i % 5000) + 0.25;
        row[4] = int(i % 300);
        row[5] = QDate(2004, 3, 7).addDays(i % 700);
        row[6] = i % 2 == 0;
        row[7] = i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("Lieferung frei Haus, O'Brien, Zeile %1").arg(i));
    });
    db.write(path);
}

struct Target {
    const char* label;
    QString dsn;  // connection string for the program
    ServerKind kind;
};

struct ProgramRun {
    double seconds = 0, cpu = 0, inside = 0;
};

// One run of the conversion window's engine on the table, keeping the statements it sent.
ProgramRun runProgram(const Target& target, sql::Environment& env, const QString& mdbPath, const Statements& expected)
{
    auto checked = std::make_shared<CheckedConnection>(env.openConnection(target.dsn), expected);
    const auto mw = mainWindowFor(target.kind);
    session().Verbindung1 = checked;
    ProgramRun run;
    {
        Konvertierung window;
        window.setDatabase(accessdb::openDatabase(mdbPath));
        window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Bench"));
        QElapsedTimer timer;
        const double cpuBefore = cpuSeconds();
        timer.start();
        window.Command1_SIK();
        run.seconds = double(timer.nsecsElapsed()) / 1e9;
        run.cpu = cpuSeconds() - cpuBefore;
        if (window.tableFailed())
            throw std::runtime_error("the conversion reported a failure");
    }
    run.inside = double(checked->nsInside) / 1e9;
    if (checked->differs || checked->inserts != expected.inserts.size())
        throw std::runtime_error("the program sent other row statements than the replay holds");
    session().Verbindung1.reset();
    return run;
}

bool runTarget(const Target& target, const QString& mdbPath, qint64 rows, int rounds)
{
    std::printf("\n== %s (%s kind)\n", target.label, qPrintable(serverKindName(target.kind)));
    std::unique_ptr<sql::Engine> engine = sql::createOdbcEngine();
    std::shared_ptr<sql::Environment> env = engine->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
    try {
        env->openConnection(target.dsn);
    } catch (const rt::RuntimeError& e) {
        std::printf("skipped: %s\n", e.what());
        return false;
    }
    // Program and bare loop take turns, so a busy machine slows both alike; the best of each counts.
    // Every other round the bare loop goes first, so neither gains from its place in the round:
    // the second writer finds the file grown and the pages of the dropped table free.
    const Statements expected = captureStatements(mdbPath, target.kind);
    const QStringList& creates = expected.creates;
    const QStringList& inserts = expected.inserts;
    ProgramRun best;
    bench::LoopFigures bestBare;
    std::vector<double> roundRatios;
    for (int round = 0; round < rounds; ++round) {
        const bool bareFirst = round % 2 == 1;
        auto bareLoop = [&] {
            try {
                env->openConnection(target.dsn)->execute(QStringLiteral("DROP TABLE Bench"), sql::kExecDirect);
            } catch (const rt::RuntimeError&) {
                // not there
            }
            const double cpuBefore = cpuSeconds();
            bench::LoopFigures f = bench::runBareOdbcLoop(target.dsn, QString(), QString(), creates, inserts,
                                                          {QStringLiteral("DROP TABLE Bench")});
            return std::make_pair(f, cpuSeconds() - cpuBefore);
        };
        std::pair<bench::LoopFigures, double> bare;
        if (bareFirst)
            bare = bareLoop();
        const ProgramRun run = runProgram(target, *env, mdbPath, expected);
        const double serverRows = env->openConnection(target.dsn)
                                      ->openResultset(QStringLiteral("SELECT COUNT(*) FROM Bench"), sql::kForwardOnly,
                                                      sql::kReadOnly, sql::kExecDirect)
                                      ->value(0)
                                      .toDouble();
        if (serverRows != double(rows))
            throw std::runtime_error("the server holds a different number of rows");
        if (!bareFirst)
            bare = bareLoop();
        // The same statements through the program's SQL connection layer alone, to tell where time goes.
        double layerSeconds = 0, layerCpu = 0;
        {
            auto c = env->openConnection(target.dsn);
            for (const QString& s : QStringList{QStringLiteral("DROP TABLE Bench")} + creates)
                try {
                    c->execute(s, sql::kExecDirect);
                } catch (const rt::RuntimeError&) {
                }
            QElapsedTimer t;
            const double cpu0 = cpuSeconds();
            t.start();
            for (const QString& s : inserts)
                c->execute(s, sql::kExecDirect);
            layerSeconds = double(t.nsecsElapsed()) / 1e9;
            layerCpu = cpuSeconds() - cpu0;
            c->execute(QStringLiteral("DROP TABLE Bench"), sql::kExecDirect);
        }
        std::printf("round %d (%s first): program %.2f s (%.2f s CPU, %.2f s inside the connection), bare loop "
                    "%.2f s (%.2f s CPU), SQL connection layer alone %.2f s (%.2f s CPU), %lld INSERTs each\n",
                    round + 1, bareFirst ? "bare loop" : "program", run.seconds, run.cpu, run.inside,
                    bare.first.seconds, bare.second, layerSeconds, layerCpu, bare.first.statements);
        roundRatios.push_back(bare.first.seconds / run.seconds);
        if (round == 0 || run.seconds < best.seconds)
            best = run;
        if (round == 0 || bare.first.seconds < bestBare.seconds)
            bestBare = bare.first;
    }
    const double programRate = double(rows) / best.seconds;
    std::printf("program (table, index and %lld rows): %.0f rows/s, %.2f s of %.2f s on this process's CPU\n",
                static_cast<long long>(rows), programRate, best.cpu, best.seconds);
    std::printf("bare ODBC loop, the same INSERTs: %.0f rows/s\n", bestBare.perSecond());
    std::printf("ratio program / bare loop, best against best: %.1f %%\n", 100.0 * programRate / bestBare.perSecond());
    std::sort(roundRatios.begin(), roundRatios.end());
    std::printf("ratio within each round:");
    for (double r : roundRatios)
        std::printf(" %.1f %%", 100.0 * r);
    std::printf("; median %.1f %%\n",
                100.0 * (roundRatios[(roundRatios.size() - 1) / 2] + roundRatios[roundRatios.size() / 2]) / 2);
    std::printf("peak memory of the process (it holds the statements for the replay): %ld kB\n", peakRssKb());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    rt::cacheLocalTimeZone();  // as the program does
    QApplication app(argc, argv);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");
    const qint64 rows = argc > 1 ? std::atoll(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
    QuietDialogs dialogs;
    setDialogService(&dialogs);
    session().AbfrageTimeout = 120;

    QTemporaryDir dir;
    const QString mdbPath = QDir(dir.path()).filePath(QStringLiteral("bench.mdb"));
    QElapsedTimer t;
    t.start();
    writeAccessTable(mdbPath, rows);
    std::printf("Access table Bench: %lld rows written in %.1f s\n", static_cast<long long>(rows),
                t.elapsed() / 1000.0);

    measureProgramAlone(mdbPath, rows, ServerKind::MSSQL);
    measureProgramAlone(mdbPath, rows, ServerKind::MySQL);

    const QString sqliteFile = QDir(dir.path()).filePath(QStringLiteral("bench.db"));
    const QString mariaDb = qEnvironmentVariable("DORVEX_MARIADB_ENGSUB_DSN", QStringLiteral("DORVEX_MARIADB_ENGSUB"));
    const Target targets[] = {
        {"SQLite, WAL",
         QStringLiteral("DRIVER=DORVEX_SQLITE3;Database=%1;JournalMode=WAL;SyncPragma=NORMAL").arg(sqliteFile),
         ServerKind::MSSQL},
        {"MariaDB", QStringLiteral("DSN=%1").arg(mariaDb), ServerKind::MySQL},
    };
    bool any = false;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    for (const Target& target : targets) {
        if (!only.isEmpty() && !QString::fromLatin1(target.label).contains(only, Qt::CaseInsensitive))
            continue;
        try {
            any = runTarget(target, mdbPath, rows, rounds) || any;
        } catch (const std::exception& e) {
            std::printf("failed: %s\n", e.what());
        }
    }
    setDialogService(nullptr);
    return any ? 0 : 1;
}

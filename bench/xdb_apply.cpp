// Applying a generated 10,000-line XDB document (fields, renames, indexes, views) to a fresh
// SQLite database through the reconciliation window: total time, time spent inside the SQL
// connection, and the share outside it. A second run of the same document against a connection
// that does nothing shows the reader's own cost per line.
//
//   eval "$(scripts/servers env)"; build/bench/bench_xdb_apply [LINES] [ODBC connection string]
//   (default: a new SQLite file through the DORVEX_SQLITE3 driver of scripts/servers; "-" runs
//   only the second part, without a server)
#include "app/MDIForm_Main.h"
#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/DialogService.h"
#include "diag/Session.h"
#include "mdbwriter/XdbLines.h"
#include "runtime/Cp1252.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "xdb/Abgleichen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>

namespace {

class QuietDialogs : public DialogService {
public:
    void message(const QString&, const QString&, Icon) override {}
    bool askYesNo(const QString&, const QString&, bool safe) override { return safe; }
    QString openFile(const QString& p, const QString&) override { return p; }
    void printLines(const QStringList&) override {}
    void printWidget(QWidget*) override {}
};

// Measures the time spent in the connection and its tables (the server's share).
struct Clock {
    qint64 nanos = 0;
    long calls = 0;
};

class TimedTable : public sql::Table {
public:
    TimedTable(std::shared_ptr<sql::Table> inner, Clock& c) : inner_(std::move(inner)), c_(c) {}
    QString name() const override { return inner_->name(); }
    void refreshColumns() override
    {
        QElapsedTimer t;
        t.start();
        inner_->refreshColumns();
        c_.nanos += t.nsecsElapsed();
        ++c_.calls;
    }
    QStringList columnNames() const override { return inner_->columnNames(); }

private:
    std::shared_ptr<sql::Table> inner_;
    Clock& c_;
};

class TimedConnection : public sql::Connection {
public:
    TimedConnection(std::shared_ptr<sql::Connection> inner, Clock& c) : inner_(std::move(inner)), c_(c) {}
    void setQueryTimeout(int s) override { inner_->setQueryTimeout(s); }
    QString name() const override { return inner_->name(); }
    QString versionText() override { return inner_->versionText(); }
    void execute(const QString& statement, int options) override
    {
        timed([&] { inner_->execute(statement, options); });
    }
    std::unique_ptr<sql::ResultSet> openResultset(const QString& s, int type, int lock, int options) override
    {
        std::unique_ptr<sql::ResultSet> rs;
        timed([&] { rs = inner_->openResultset(s, type, lock, options); });
        return rs;
    }
    void refreshTables() override
    {
        timed([&] { inner_->refreshTables(); });
    }
    std::shared_ptr<sql::Table> table(const QString& name) override
    {
        std::shared_ptr<sql::Table> t;
        timed([&] { t = inner_->table(name); });
        return std::make_shared<TimedTable>(t, c_);
    }

private:
    template <class F>
    void timed(F&& f)
    {
        QElapsedTimer t;
        t.start();
        ++c_.calls;
        try {
            f();
        } catch (...) {
            c_.nanos += t.nsecsElapsed();
            throw;
        }
        c_.nanos += t.nsecsElapsed();
    }
    std::shared_ptr<sql::Connection> inner_;
    Clock& c_;
};

// A connection that accepts everything at once: what remains is the reader's own work.
class NullConnection : public sql::Connection {
public:
    struct T : sql::Table {
        explicit T(QString n) : n_(std::move(n)) {}
        QString name() const override { return n_; }
        void refreshColumns() override {}
        QStringList columnNames() const override { return {QStringLiteral("Nr")}; }
        QString n_;
    };
    struct Zero : sql::ResultSet {
        QVariant value(int) override { return 0; }
        void close() override {}
    };
    void setQueryTimeout(int) override {}
    QString name() const override { return QString(); }
    QString versionText() override { return QString(); }
    void execute(const QString&, int) override {}
    std::unique_ptr<sql::ResultSet> openResultset(const QString&, int, int, int) override
    {
        return std::make_unique<Zero>();
    }
    void refreshTables() override {}
    std::shared_ptr<sql::Table> table(const QString& name) override { return std::make_shared<T>(name); }
};

using mdbw::xdb::key22;
using mdbw::xdb::key24;
using mdbw::xdb::newField;
using mdbw::xdb::renamed;

// Sections in the proportions of a release document: mostly new fields, some renames, index
// blocks and views.
QStringList document(int lines, int tables)
{
    QStringList out;
    int t = 0, f = 0, v = 0, ix = 0;
    while (out.size() < lines) {
        const QString table = QStringLiteral("Tabelle%1").arg(t % tables);
        out << QStringLiteral("[felder]") << key22(QStringLiteral("tabelle"), table);
        for (int i = 0; i < 40; ++i, ++f)
            out << newField(QStringLiteral("Feld_Größe_%1").arg(f), 10, 40);
        out << QStringLiteral("[renamefield]") << key24(QStringLiteral("tabelle"), table);
        for (int i = 0; i < 3; ++i)
            out << renamed(QStringLiteral("feld"), QStringLiteral("Nr"), QStringLiteral("Nummer%1").arg(i));
        for (int i = 0; i < 2; ++i, ++ix)
            out << QStringLiteral("[Indizes]") << key22(QStringLiteral("tabelle"), table)
                << key22(QStringLiteral("name"), QStringLiteral("IX_%1").arg(ix))
                << key22(QStringLiteral("attribute"), QStringLiteral("0"))
                << key22(QStringLiteral("felderanzahl"), QStringLiteral("1"))
                << key22(QStringLiteral("feld"), QStringLiteral("Nr"));
        out << QStringLiteral("[querys]");
        for (int i = 0; i < 4; ++i, ++v)
            out << key22(QStringLiteral("name"), QStringLiteral("View_%1").arg(v))
                << key22(
                       QStringLiteral("SQL"),
                       QStringLiteral("SELECT DISTINCTROW [%1].[Nr], [%1].[Name] FROM [%1] WHERE [%1].[Name]=\"x%2\";")
                           .arg(table)
                           .arg(v));
        ++t;
    }
    out = out.mid(0, lines);
    return out;
}

double run(Abgleichen& w, const QString& path)
{
    w.findChild<QLineEdit*>(QStringLiteral("Text_XDB"))->setText(path);
    QElapsedTimer t;
    t.start();
    w.XDB_Verarbeiten();
    return t.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");
    const int lines = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int tables = 25;
    QTemporaryDir dir;
    rt::setProgramFolder(dir.path());
    QString connect =
        argc > 2 ? QString::fromLocal8Bit(argv[2])
                 : QStringLiteral("DRIVER=DORVEX_SQLITE3;Database=%1/bench.db;JournalMode=WAL;SyncPragma=NORMAL")
                       .arg(dir.path());

    // The program's own main window, so that its progress display costs what it costs.
    MDIForm_Main mw;
    mw.show();
    QuietDialogs dialogs;
    setDialogService(&dialogs);
    session().AutoLauf = true;

    const QString path = dir.path() + QStringLiteral("/ZAB.XDB");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        for (const QString& l : document(lines, tables))
            f.write(rt::toCp1252(l) + "\r\n");
    }

    const bool serverRun = connect != QStringLiteral("-");
    try {
        std::printf("document: %d lines, %lld bytes\n", lines, static_cast<long long>(QFile(path).size()));
        if (serverRun) {
            auto engine = sql::createOdbcEngine();
            auto env = engine->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
            auto conn = env->openConnection(connect);
            for (int i = 0; i < tables; ++i)
                conn->execute(QStringLiteral("CREATE TABLE Tabelle%1 (Nr INTEGER, Name VARCHAR(40))").arg(i),
                              sql::kExecDirect);

            Clock clock;
            session().Verbindung1 = std::make_shared<TimedConnection>(conn, clock);
            Abgleichen w;
            const double total = run(w, path);
            const double inside = clock.nanos / 1e9;
            std::printf("report lines: %d, failures reported: %s\n",
                        w.findChild<QListWidget*>(QStringLiteral("List1"))->count(),
                        session().FehlerAufgetreten ? "yes (renames, index checks)" : "no");
            std::printf("total: %.3f s (%.1f lines/s)\n", total, lines / total);
            std::printf("inside the SQL connection: %.3f s in %ld calls\n", inside, clock.calls);
            std::printf("outside the server: %.3f s = %.1f %% of the total\n", total - inside,
                        100.0 * (total - inside) / total);
        }

        session().Verbindung1 = std::make_shared<NullConnection>();
        Abgleichen w2;
        const double readerOnly = run(w2, path);
        std::printf("same document, connection doing nothing: %.3f s = %.1f us per line\n", readerOnly,
                    1e6 * readerOnly / lines);
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "failed: %d %s\n", e.number(), e.description().toLocal8Bit().constData());
        return 1;
    }
    session().reset();
    return 0;
}

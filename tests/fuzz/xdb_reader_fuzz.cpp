// Arbitrary bytes as an XDB document, applied by the reconciliation window against an in-memory
// connection. The first byte chooses the server kind and the "Linux" box, so the view rewriting of
// every kind is reached too. Malformed documents must end normally: no crash, no hang.
#include "diag/DialogService.h"
#include "diag/Session.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "xdb/Abgleichen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

class QuietMainWindow : public MainWindowAccess {
public:
    ServerKind serverKind() const override { return kind; }
    bool linuxChecked() const override { return linuxBox; }
    QString odbcName() const override { return dsn; }
    void setWorkControlsEnabled(bool) override {}
    float progressValue() const override { return value; }
    float progressMaximum() const override { return maximum; }
    void setProgressValue(float v) override { value = v; }
    void setProgressMaximum(float m) override { maximum = m; }
    void setRemainingTimeText(const QString&) override {}
    void adoptChildWindow(QWidget*) override {}
    void releaseChildWindow(QWidget*) override {}
    void sendToBack(QWidget*) override {}
    void bringToFront(QWidget*) override {}

    ServerKind kind = ServerKind::MSSQL;
    bool linuxBox = false;
    QString dsn = QStringLiteral("ZABSQL");
    float value = 0, maximum = 1;
};

class QuietDialogs : public DialogService {
public:
    void message(const QString&, const QString&, Icon) override {}
    bool askYesNo(const QString&, const QString&, bool safe) override { return safe; }
    QString openFile(const QString& initialPath, const QString&) override { return initialPath; }
    void printLines(const QStringList&) override {}
    void printWidget(QWidget*) override {}
};

class MemoryTable : public sql::Table {
public:
    explicit MemoryTable(QString name) : name_(std::move(name)) {}
    QString name() const override { return name_; }
    void refreshColumns() override {}
    QStringList columnNames() const override { return columns; }
    QStringList columns{QStringLiteral("Nr"), QStringLiteral("Name")};

private:
    QString name_;
};

// Two tables; statements holding "~" fail as a server would, others succeed; the index count
// alternates so both branches of the index test are taken.
class MemoryConnection : public sql::Connection {
public:
    void setQueryTimeout(int) override {}
    QString name() const override { return QStringLiteral("ZABSQL"); }
    QString versionText() override { return QString(); }
    void execute(const QString& statement, int) override
    {
        if (statement.contains(QLatin1Char('~')))
            throw rt::RuntimeError(40002, QStringLiteral("fuzz"), QStringLiteral("37000: refused"));
        if (statement.size() > 1 << 20)
            std::abort();  // a statement this long can only come from runaway rewriting
    }
    std::unique_ptr<sql::ResultSet> openResultset(const QString& statement, int, int, int) override
    {
        execute(statement, 0);
        struct Count : sql::ResultSet {
            explicit Count(int n) : n(n) {}
            QVariant value(int) override { return n; }
            void close() override {}
            int n;
        };
        return std::make_unique<Count>(int(++queries % 2));
    }
    void refreshTables() override {}
    std::shared_ptr<sql::Table> table(const QString& name) override
    {
        for (const auto& t : tables)
            if (t->name().compare(name, Qt::CaseInsensitive) == 0)
                return t;
        throw rt::RuntimeError(40002, QStringLiteral("fuzz"), QStringLiteral("S0002: no table ") + name);
    }
    std::vector<std::shared_ptr<MemoryTable>> tables{std::make_shared<MemoryTable>(QStringLiteral("Artikel")),
                                                     std::make_shared<MemoryTable>(QStringLiteral("KUNDE"))};
    unsigned queries = 0;
};

QuietMainWindow* mainWin;
QuietDialogs* quietDialogs;
Abgleichen* window;
QLineEdit* pathBox;  // Text_XDB
QString documentPath;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char name[] = "xdb_reader_fuzz";
    static char* qtArgv[] = {name, nullptr};
    new QApplication(qtArgc, qtArgv);
    // Log entries would pile up over millions of runs: a program folder that cannot hold a Log
    // folder makes the logger drop them, as it does on any write failure.
    rt::setProgramFolder(QStringLiteral("/proc/self/xdb-fuzz-no-log"));
    mainWin = new QuietMainWindow;
    quietDialogs = new QuietDialogs;
    setDialogService(quietDialogs);
    session().mainWindow = mainWin;
    window = new Abgleichen;
    pathBox = window->findChild<QLineEdit*>(QStringLiteral("Text_XDB"));
    documentPath = QDir::tempPath() + QStringLiteral("/xdb-fuzz-%1.XDB").arg(qint64(::getpid()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    mainWin->kind = kAllServerKinds[data[0] % 5];
    mainWin->linuxBox = (data[0] & 0x80) != 0;
    session().Verbindung1 = std::make_shared<MemoryConnection>();
    session().FehlerAufgetreten = false;
    {
        QFile f(documentPath);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    }
    pathBox->setText(documentPath);
    window->XDB_Verarbeiten();
    return 0;
}

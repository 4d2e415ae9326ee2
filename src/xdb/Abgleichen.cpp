#include "xdb/Abgleichen.h"
#include "derived/DerivedObjects.h"
#include "derived/ViewRewriting.h"
#include "diag/DialogService.h"
#include "diag/Module1.h"
#include "diag/NamedControl.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "runtime/TextFile.h"
#include "xdb/XdbStatements.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {
const QString kModul = QStringLiteral("Abgleichen");
const QString kCode = QStringLiteral("XDB_Verarbeiten");

// The run ended through its failure handler.
struct EndOfRun {};
}  // namespace

Abgleichen::Abgleichen()
{
    setObjectName(QStringLiteral("Abgleichen"));
    setWindowTitle(QStringLiteral("SQL-Server mit XDB abgleichen"));

    Label1 = namedControl<QLabel>(this, "Label1", QStringLiteral("Pfad der XDB :"));
    Text_XDB = namedControl<QLineEdit>(this, "Text_XDB");
    Command1 = namedControl<QPushButton>(this, "Command1", QStringLiteral("..."));
    Command8 = namedControl<QPushButton>(this, "Command8", QStringLiteral("XDB Verarbeiten"));
    List1 = namedControl<QListWidget>(this, "List1");
    // One line height for all: the report grows by thousands of lines, and measuring every line
    // again at each yield would make a run quadratic in its length.
    List1->setUniformItemSizes(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text_XDB, 0, 1);
    layout->addWidget(Command1, 0, 2);
    layout->addWidget(Command8, 1, 0, 1, 3);
    layout->addWidget(List1, 2, 0, 1, 3);
    resize(640, 420);

    connect(Command1, &QPushButton::clicked, this, &Abgleichen::Command1_Click);
    connect(Command8, &QPushButton::clicked, this, &Abgleichen::Command8_Click);

    if (!session().ParamXDBPfad.isEmpty())
        Text_XDB->setText(session().ParamXDBPfad);
}

void Abgleichen::Command1_Click()
{
    try {
        Text_XDB->setText(dialogs().openFile(Text_XDB->text(), QStringLiteral("XDB's|*.XDB")));
    } catch (const rt::RuntimeError&) {
        // a cancelled or failed dialog leaves the path as it was
    }
}

void Abgleichen::Command8_Click() { XDB_Verarbeiten(); }

void Abgleichen::Steuerelemente_Freigeben(bool enabled)
{
    Command1->setEnabled(enabled);
    Text_XDB->setEnabled(enabled);
    Command8->setEnabled(enabled);
    if (session().mainWindow)
        session().mainWindow->setWorkControlsEnabled(enabled);
}

void Abgleichen::closeEvent(QCloseEvent* event)
{
    if (running_)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void Abgleichen::XDB_Verarbeiten()
{
    Steuerelemente_Freigeben(false);
    const QString path = Text_XDB->text();
    if (!path.isEmpty()) {
        runReport().xdb = XdbReport();
        runReport().xdb.started = true;
        runReport().xdb.path = path;
        running_ = true;
        try {
            runDocument(path);
        } catch (const EndOfRun&) {
            // A failure of the run time ended it. The progress run ends too, so the bar does not
            // stay half full and a later run does not nest inside this one.
            diag::guarded(diag::nextStatement, [this] { progress_.set(0); });
        }
        running_ = false;
    }
    Steuerelemente_Freigeben(true);
}

void Abgleichen::runDocument(const QString& path)
{
    // Each step that can fail goes to the run's handler, which answers next or end.
    const auto step = [this](auto&& f) {
        if (diag::guarded(xdb::runHandler(*this), f) == diag::Guarded::Ended)
            throw EndOfRun{};
    };

    step([this] {
        sql::Connection* connection = runner_.connection();
        if (!connection)
            throw rt::runtimeFailure(rt::err::ObjectNotSet);
        connection->refreshTables();
    });
    processEvents();
    List1->clear();
    reader_.startRun();

    // The document is held only for this run and released however the run ends.
    std::unique_ptr<rt::Cp1252LineReader> document;
    step([&] {
        try {
            document = std::make_unique<rt::Cp1252LineReader>(path, true);
        } catch (const rt::RuntimeError& e) {
            // The report and the log say which document could not be read.
            throw rt::RuntimeError(e.number(), e.source(),
                                   e.description() + QStringLiteral(": '") + path + QLatin1Char('\''));
        }
    });
    if (!document)
        return;
    const qint64 size = document->size();
    if (size > 0 && document->holdsNul()) {
        // Not a text file: nothing of it is applied.
        unreadableDocument(path);
        return;
    }
    step([&] {
        qint32 units = qint32(document->size() / 128) + 1;
        progress_.start(units);
    });

    try {
        while (!document->atEnd()) {
            const QString line = document->readLine();
            step([&] { progress_.set(qint32(document->position() / 128)); });
            processEvents();
            ++summary().linesRead;
            reader_.processLine(*this, line);
        }
        document.reset();
        if (size > 0 && !reader_.sawSection()) {
            unreadableDocument(path);
            step([this] { progress_.set(0); });
            return;
        }
        reader_.finishRun(*this);
    } catch (const xdb::RunEnded&) {
        throw EndOfRun{};
    }

    if (!session().AutoLauf)
        step([] { dialogs().message(QStringLiteral("Die ZAB.XDB wurde abgearbeitet.")); });
    step([this] { progress_.set(0); });
}

bool Abgleichen::failed(const rt::RuntimeError& e)
{
    session().FehlerAufgetreten = true;
    for (const QString& piece : reportPieces(e.description(), 130))
        List1->addItem(piece);
    Fehler_Protokollieren(e.source(), e.number(), e.description(), kModul, kCode, QString(), QString());
    xdb::noteNotApplied(summary(), QStringLiteral("Fehler ") + QString::number(e.number()) + QStringLiteral(": ") +
                                       e.description().left(200));
    // Up to 1000 the run time itself failed (file, number, array): the run ends. Database
    // failures leave the rest of the document to be processed.
    return e.number() > 1000;
}

void Abgleichen::lineNotApplied(const QString& text)
{
    report(QLatin1Char('\t') + text);
    // The database is not what the release expects, so the unattended run must not go on as if it were.
    session().FehlerAufgetreten = true;
    Fehler_Protokollieren(kModul, 0, text, kModul, kCode, QString(), QString());
    xdb::noteNotApplied(summary(), text);
}

// Reported once; the run counts it as not applied but it is no failed step: nothing was changed.
void Abgleichen::unreadableDocument(const QString& path)
{
    const QString text =
        QStringLiteral("XDB-Dokument '") + path + QStringLiteral("' enthält keine lesbaren Abschnitte");
    report(text);
    Fehler_Protokollieren(kModul, 0, text, kModul, kCode, QString(), QString());
    xdb::noteNotApplied(summary(), text);
}

XdbReport& Abgleichen::summary() { return runReport().xdb; }

// ---- the operations on the database ----

TextOptions Abgleichen::textOptions() const { return mainWindowTextOptions(); }

void Abgleichen::report(const QString& line) { List1->addItem(line); }
void Abgleichen::scrollReportToEnd() { List1->scrollToBottom(); }
void Abgleichen::processEvents() { QCoreApplication::processEvents(); }

sql::Table& Abgleichen::currentTable() const
{
    if (!currentTable_)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    return *currentTable_;
}

QString Abgleichen::currentTableName() const { return currentTable().name(); }
void Abgleichen::refreshColumns() { currentTable().refreshColumns(); }

void Abgleichen::SQL_Ausfuehren(QString statement) { runner_.execute(statement, textOptions()); }

bool Abgleichen::Create_View(const QString& name, QString query, QString& message)
{
    ViewsOutcome outcome;
    // Counted also when a failure is raised to the run's handler.
    const auto note = [&] {
        runReport().viewsNotCreated += outcome.notCreated;
        if (outcome.failed)
            session().FehlerAufgetreten = true;
    };
    try {
        const bool created = ::Create_View(name, query, message, runner_, textOptions(), outcome);
        note();
        return created;
    } catch (const rt::RuntimeError&) {
        note();
        throw;
    }
}

bool Abgleichen::Tabelle_Pruefen(const QString& tableName)
{
    QString name = tableName;
    bool found = false;
    try {
        const ServerKind kind = textOptions().kind;
        if (kind == ServerKind::Oracle || kind == ServerKind::DB2)
            name = rt::ucase(name);
        sql::Connection* connection = runner_.connection();
        if (!connection)
            throw rt::runtimeFailure(rt::err::ObjectNotSet);
        if (kind != ServerKind::Oracle)
            connection->refreshTables();
        std::shared_ptr<sql::Table> table = connection->table(name);
        table->refreshColumns();
        currentTable_ = std::move(table);
        found = true;
    } catch (const rt::RuntimeError&) {
        // a missing table switches its section off
    }
    QString status = name + QStringLiteral("\t\t");
    if (reader_.bFelder)
        status += QStringLiteral("(Felder hinzufügen)");
    if (reader_.bAltesFormat)
        status += QStringLiteral("(Felder hinzufügen) [altes XDB-Format]");
    if (reader_.bRenameField)
        status += QStringLiteral("(Felder umbenennen)");
    report(status);
    scrollReportToEnd();
    processEvents();
    if (!found)
        report(QStringLiteral("\tTabelle existiert nicht!"));
    return found;
}

bool Abgleichen::Feld_Existiert(const QString& name)
{
    const ServerKind kind = textOptions().kind;
    if (name == xdb::kNeverAddedOnOracleDb2 && (kind == ServerKind::Oracle || kind == ServerKind::DB2))
        return true;
    for (const QString& column : currentTable().columnNames())
        if (column.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

xdb::Built Abgleichen::Feld_Hinzufuegen_SQL(const QString& field, qint16 type, double size, QString& defaultValue)
{
    const QString table = currentTableName();
    xdb::Built built = xdb::addField(table, field, type, size, defaultValue, textOptions());
    if (!built.refusal.isEmpty())
        built.refusal = QStringLiteral("Feld ") + field + QStringLiteral(" in ") + table +
                        QStringLiteral(" nicht angelegt: ") + built.refusal;
    return built;
}

bool Abgleichen::Index_Existiert(const QString& table, const QString& index)
{
    const TextOptions o = textOptions();
    if (xdb::indexTakenAsPresent(o))
        return true;
    const QString query = xdb::indexExistsQuery(o, table, index);
    std::unique_ptr<sql::ResultSet> rs = runner_.query(query, sql::kForwardOnly);
    const QVariant count = rs->value(0);
    rs->close();
    return !count.isNull() && count.toLongLong() != 0;
}

bool Abgleichen::Index_Anlegen(const QString& table, const QString& index, qint32 attribute, const QStringList& fields)
{
    const xdb::Built built = xdb::createIndexStatement(textOptions(), table, index, attribute, fields);
    if (!built.refusal.isEmpty()) {
        lineNotApplied(QStringLiteral("Index ") + index + QStringLiteral(" in ") + table +
                       QStringLiteral(" nicht angelegt: ") + built.refusal);
        return false;
    }
    if (built.statement.isEmpty())
        return false;
    SQL_Ausfuehren(built.statement);
    return true;
}

// Records every statement the program sends for the sample database and its XDB document, on
// every server kind, with and without "Linux" for Sybase and with and without a sibling data
// source, through the windows' own paths: the conversion window's batch, "Abfragen -> Sichten",
// "Beziehungen -> Trigger", then the reconciliation window's XDB run.
//
//   record_statements OUT.txt                  writes the recording
//   record_statements OUT.txt --compare REF    also compares it with REF; exit 1 on a difference
#include "common/Controls.h"
#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/RecordingConnection.h"
#include "common/ScriptedDialogs.h"
#include "diag/FehlerProtokoll.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "diag/SingleInstance.h"
#include "mdbwriter/Sample.h"
#include "runtime/Platform.h"
#include "workbench/Form_Auto.h"
#include "workbench/Konvertierung.h"
#include "xdb/Abgleichen.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <langinfo.h>
#include <memory>

namespace {

using testsupport::control;

struct Variant {
    ServerKind kind;
    bool linuxBox;
    QString dsn;
};

QList<Variant> variants()
{
    QList<Variant> out;
    for (const QString& dsn : {QStringLiteral("ZABSQL"), QStringLiteral("TIRAM_ZAB")})
        for (ServerKind kind : kAllServerKinds) {
            out.append({kind, false, dsn});
            if (kind == ServerKind::Sybase)
                out.append({kind, true, dsn});
        }
    return out;
}

QString kindName(ServerKind kind)
{
    switch (kind) {
    case ServerKind::MSSQL: return QStringLiteral("MSSQL");
    case ServerKind::MySQL: return QStringLiteral("MySQL");
    case ServerKind::Oracle: return QStringLiteral("Oracle");
    case ServerKind::Sybase: return QStringLiteral("Sybase");
    case ServerKind::DB2: return QStringLiteral("DB2");
    }
    return QString();
}

// One line per statement: backslash, CR and LF escaped, so a statement never spans lines.
QString escaped(const QString& statement)
{
    QString s = statement;
    s.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
    return s;
}

// Both connections write into one log, so the order between them is kept; "1>" and "2>" tell
// Verbindung1 from Verbindung2.
class LoggingConnection : public testsupport::RecordingConnection {
public:
    LoggingConnection(QStringList& log, QString tag) : log_(log), tag_(std::move(tag)) {}
    void execute(const QString& statement, int options) override
    {
        log_ << tag_ + escaped(statement);
        RecordingConnection::execute(statement, options);
    }
    std::unique_ptr<sql::ResultSet> openResultset(const QString& statement, int type, int lockType,
                                                  int options) override
    {
        log_ << tag_ + escaped(statement);
        return RecordingConnection::openResultset(statement, type, lockType, options);
    }

private:
    QStringList& log_;
    QString tag_;
};

QStringList record(const Variant& v, const QString& sampleDir)
{
    QStringList log;
    testsupport::FakeMainWindow mw;
    mw.kind = v.kind;
    mw.linux_ = v.linuxBox;
    mw.dsn = v.dsn;
    testsupport::ScriptedDialogs dialogs;
    testsupport::beginSession(mw);
    // Index names carry the time of day: a fixed clock keeps the recording repeatable.
    rt::setClock([] { return QDateTime(QDate(2024, 3, 15), QTime(10, 30, 0)); });
    runReport().reset();
    session().AbfrageTimeout = 120;
    auto conn1 = std::make_shared<LoggingConnection>(log, QStringLiteral("1> "));
    auto conn2 = std::make_shared<LoggingConnection>(log, QStringLiteral("2> "));
    conn1->dsn = conn2->dsn = v.dsn;
    // No table is on the server yet: every row count fails as a missing table would.
    conn2->failWhen(QString(), QStringLiteral("S0002: table not found"));
    session().Verbindung1 = conn1;
    session().Verbindung2 = conn2;
    {
        Konvertierung w;
        control<QLineEdit>(w, "ZABPfad")->setText(sampleDir + QStringLiteral("/ZABRIX.MDB"));
        w.MDB_Anmelden();
        control<QPushButton>(w, "Command2")->click();  // Markierte Tabellen konvertieren
        control<QPushButton>(w, "Command5")->click();  // Abfragen -> Sichten
        control<QPushButton>(w, "Command6")->click();  // Beziehungen -> Trigger
        // The server now holds the converted tables with the Access fields.
        if (w.database())
            for (const accessdb::TableDef& t : w.database()->tableDefs()) {
                QStringList fields;
                for (const accessdb::Field& f : t.fields)
                    fields << f.name;
                conn1->tables.insert(t.name, fields);
            }
    }
    {
        Abgleichen a;
        control<QLineEdit>(a, "Text_XDB")->setText(sampleDir + QStringLiteral("/ZAB.XDB"));
        a.XDB_Verarbeiten();
    }
    SingleInstance<Form_Auto>::unload();
    SingleInstance<FehlerProtokoll>::unload();
    testsupport::endSession();
    for (const auto& shown : dialogs.shown)
        log << QStringLiteral("!> %1: %2").arg(shown.kind, escaped(shown.text));
    return log;
}

QStringList readLines(const QString& path, bool* ok)
{
    QFile f(path);
    *ok = f.open(QIODevice::ReadOnly);
    return *ok ? QString::fromUtf8(f.readAll()).split(u'\n') : QStringList();
}

// Prints the first difference with a few lines of each side around it.
int compare(const QStringList& recorded, const QString& referencePath)
{
    bool ok = false;
    const QStringList reference = readLines(referencePath, &ok);
    if (!ok) {
        std::fprintf(stderr, "record_statements: cannot read %s\n", qPrintable(referencePath));
        return 1;
    }
    qsizetype i = 0;
    while (i < recorded.size() && i < reference.size() && recorded[i] == reference[i])
        ++i;
    if (i == recorded.size() && i == reference.size())
        return 0;
    std::fprintf(stderr, "record_statements: the statements differ from %s at line %lld\n", qPrintable(referencePath),
                 qint64(i + 1));
    const auto show = [i](const char* label, const QStringList& lines) {
        std::fprintf(stderr, "--- %s:\n", label);
        for (qsizetype k = std::max<qsizetype>(0, i - 2); k < std::min(lines.size(), i + 4); ++k)
            std::fprintf(stderr, "%c%6lld  %s\n", k == i ? '>' : ' ', qint64(k + 1), qPrintable(lines[k]));
    };
    show("expected", reference);
    show("recorded", recorded);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (QByteArray(nl_langinfo(CODESET)) != "UTF-8")
        std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = app.arguments();
    if (!(args.size() == 2 || (args.size() == 4 && args[2] == QLatin1String("--compare")))) {
        std::fprintf(stderr, "usage: record_statements OUT.txt [--compare REFERENCE.txt]\n");
        return 2;
    }
    QTemporaryDir sampleDir;
    mdbw::writeSample(sampleDir.path());

    QStringList out;
    for (const Variant& v : variants()) {
        const QStringList log = record(v, sampleDir.path());
        const qsizetype statements = log.size() - log.filter(QRegularExpression(QStringLiteral("^!> "))).size();
        out << QStringLiteral("== %1%2, %3: %4 statements")
                   .arg(kindName(v.kind), v.linuxBox ? QStringLiteral(" Linux") : QString(), v.dsn)
                   .arg(statements);
        out << log;
    }
    out << QString();  // the file ends with a line end

    QSaveFile f(args[1]);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(out.join(u'\n').toUtf8()) < 0 || !f.commit()) {
        std::fprintf(stderr, "record_statements: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return args.size() == 4 ? compare(out, args[3]) : 0;
}

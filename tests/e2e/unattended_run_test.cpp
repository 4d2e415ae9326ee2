// The built program run as an administrator's script runs it: without a display, with -auto,
// against real SQLite and MariaDB databases, with a stub plug-in that records its arguments.
#include "common/Fixtures.h"
#include "common/Servers.h"
#include "dataaccess/AccessDatabase.h"
#include "diag/Module1.h"
#include "mdbwriter/MdbWriter.h"
#include "mdbwriter/XdbLines.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace testsupport;
namespace xdb = mdbw::xdb;

namespace {

QString readText(const QString& path) { return QString::fromUtf8(readFile(path)); }

// An XDB document with one view; `before` comes first (fields, renamings).
QByteArray viewDocument(const QString& select, const QStringList& before = {})
{
    return cp1252Document(before + QStringList{QStringLiteral("[querys]"), xdb::key22("name", "View_E2E_Orte"),
                                               xdb::key22("SQL", select)});
}

const QString kOrteOhneKoeln =
    QStringLiteral("SELECT [AdressenStamm].[Ort] FROM [AdressenStamm] WHERE [AdressenStamm].[Ort]<>\"Köln\"");

// A small Access database: Orte (3 rows), a table with a blank in its name, a table whose second row
// repeats the first one's key (the server refuses it) and a GUID table.
void writeFixture(const QString& path)
{
    mdbw::Database db;
    mdbw::Index key;
    key.name = QStringLiteral("PrimaryKey");
    key.fields = {QStringLiteral("Nr")};
    key.primary = key.unique = true;
    db.addTable(QStringLiteral("Orte"))
        .addField(mdbw::field(QStringLiteral("Nr"), mdbw::type::Long))
        .addField(mdbw::field(QStringLiteral("Ort"), mdbw::type::Text, 30))
        .addIndex(key)
        .addRow({1, QStringLiteral("Köln")})
        .addRow({2, QStringLiteral("Bonn")})
        .addRow({3, QStringLiteral("Aachen")});
    db.addTable(QStringLiteral("Konto Buchungen"))
        .addField(mdbw::field(QStringLiteral("Nr"), mdbw::type::Long))
        .addField(mdbw::field(QStringLiteral("Betrag"), mdbw::type::Currency))
        .addRow({1, QStringLiteral("12.5")})
        .addRow({2, QStringLiteral("-3")});
    db.addTable(QStringLiteral("Doppelt"))
        .addField(mdbw::field(QStringLiteral("Nr"), mdbw::type::Long))
        .addField(mdbw::field(QStringLiteral("Name"), mdbw::type::Text, 20))
        .addIndex(key)
        .addRow({1, QStringLiteral("erster")})
        .addRow({1, QStringLiteral("gleicher Schlüssel")})
        .addRow({2, QStringLiteral("zweiter")});
    db.addTable(QStringLiteral("Geraete"))
        .addField(mdbw::field(QStringLiteral("Id"), mdbw::type::Guid))
        .addField(mdbw::field(QStringLiteral("Name"), mdbw::type::Text, 20))
        .addRow({QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"), QStringLiteral("Drucker")})
        .addRow({QStringLiteral("{0E984725-C51C-4BF4-9960-E1C80E27ABA0}"), QStringLiteral("Kasse")});
    db.write(path);
}

QJsonObject tableEntry(const QJsonObject& report, const QString& name)
{
    for (const QJsonValue& t : report[QStringLiteral("tabellen")].toArray())
        if (t.toObject()[QStringLiteral("name")].toString() == name)
            return t.toObject();
    return QJsonObject();
}

// Lines on standard error that are not Dorvex's own (Qt's or a library's chatter).
QStringList foreignLines(const QString& standardError)
{
    QStringList foreign;
    for (const QString& line : standardError.split(u'\n', Qt::SkipEmptyParts)) {
        static const char* const kOwn[] = {"Zusammenfassung: ", "Fehlerprotokoll: ", "Protokolldatei: ", "Dorvex: "};
        if (std::none_of(std::begin(kOwn), std::end(kOwn),
                         [&](const char* p) { return line.startsWith(QLatin1String(p)); }))
            foreign << line;
    }
    return foreign;
}

struct RunResult {
    int exitCode = -1;
    QString standardError, standardOutput;
};

// The program without a display; `odbcIni`, when given, is the only ODBC configuration it sees.
RunResult runProgram(const QString& program, const QStringList& arguments, const QString& folder = QString(),
                     const QString& odbcIni = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(v));
    QProcess p;
    if (!folder.isEmpty()) {
        writeFile(folder + "/odbc.ini", odbcIni.toUtf8());
        env.insert(QStringLiteral("ODBCSYSINI"), qEnvironmentVariable("ODBCSYSINI"));
        env.insert(QStringLiteral("ODBCINI"), folder + "/odbc.ini");
        p.setWorkingDirectory(folder);
    }
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    RunResult r;
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "the program did not end";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.standardError = QString::fromUtf8(p.readAllStandardError());
    r.standardOutput = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

class UnattendedRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SQLITE();
        sample = sampleFile(QStringLiteral("ZABRIX.MDB"));
        ASSERT_TRUE(QFileInfo::exists(sample)) << "the build writes the sample: " << qPrintable(sample);
        folder = tempFolder();
        program = folder + QStringLiteral("/dorvex");
        ASSERT_TRUE(QFile::copy(QStringLiteral(DORVEX_BINARY_DIR "/dorvex"), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        const QString plugin = folder + "/Plugins/Velmora/Velmora";
        writeFile(plugin, "#!/bin/sh\n"
                          "cd \"$(dirname \"$0\")\" || exit 1\n"
                          "pwd > cwd.txt\n"
                          "for a in \"$@\"; do echo \"$a\"; done > args.tmp\n"
                          "mv args.tmp args.txt\n"
                          "echo started >> starts.txt\n");
        QFile::setPermissions(plugin, QFile::permissions(plugin) | QFileDevice::ExeOwner);
        writeFile(folder + "/zab.ini", "[database source]\r\n SQL_Database = ZAB \r\nSQL_Server=srv01\r\n");
        // New fields (one with a hostile default), a table renaming report and a view: every
        // statement form SQLite takes.
        writeFile(folder + "/ZAB.XDB",
                  viewDocument(kOrteOhneKoeln, {"[felder]", xdb::key22("tabelle", "Kunden"),
                                                xdb::newField("Bemerkung_E2E", 10, 40), xdb::oldHeader("Kunden"),
                                                xdb::oldField("Land_E2E", 10, 30, "x'); DROP TABLE Artikel; --"),
                                                "[renametable]", xdb::renamed("tabelle", "Kassenbuch", "Kasse")}));
    }

    void useSqlite(const ScratchDatabase& db)
    {
        odbcIni =
            QStringLiteral("[ZABSQL]\nDriver = DORVEX_SQLITE3\nDatabase = %1\nJournalMode = WAL\nSyncPragma = NORMAL\n"
                           "Timeout = 10000\n")
                .arg(db.databaseName());
    }

    void useMariadb(const ScratchDatabase& db,
                    const QString& initStmt = QStringLiteral("SET SESSION sql_mode=CONCAT(@@sql_mode,',ANSI_QUOTES')"))
    {
        odbcIni = QStringLiteral("[ZABSQL]\nDriver = DORVEX_MARIADB\nServer = localhost\nSocket = %1\nDatabase = %2\n"
                                 "User = %3\nPassword = %4\nCharset = utf8mb4\nInitStmt = %5\n")
                      .arg(mariadbSocket(), db.databaseName(), dbUser(), dbPassword(), initStmt);
    }

    RunResult run(const QStringList& arguments) { return runProgram(program, arguments, folder, odbcIni); }

    QStringList standardArguments(const QString& mdb, const QString& user = QStringLiteral("sa"),
                                  const QString& password = QStringLiteral("geheim"))
    {
        return {QStringLiteral("-ODBC:ZABSQL"),
                QStringLiteral("-user:") + user,
                QStringLiteral("-pass:") + password,
                QStringLiteral("-MDBpfad:") + mdb,
                QStringLiteral("-XDBpfad:") + folder + "/ZAB.XDB",
                QStringLiteral("-auto")};
    }

    // The plug-in runs detached: wait for its record.
    QStringList pluginArguments(int waitMs = 5000)
    {
        QElapsedTimer t;
        t.start();
        const QString path = folder + "/Plugins/Velmora/args.txt";
        while (!QFileInfo::exists(path) && t.elapsed() < waitMs)
            QThread::msleep(50);
        if (!QFileInfo::exists(path))
            return {QStringLiteral("<not started>")};
        return readText(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    int pluginStarts() { return readText(folder + "/Plugins/Velmora/starts.txt").count(QStringLiteral("started")); }

    // What a run that stopped at its first step must not have left: a document entry, a plug-in start.
    void expectStoppedBeforeTheDocument()
    {
        EXPECT_FALSE(errorLogText(folder).contains(QStringLiteral("XDB_Verarbeiten")));
        EXPECT_EQ(pluginArguments(500), QStringList{QStringLiteral("<not started>")});
    }

    long accessRows(const QString& table, const QString& mdb = QString())
    {
        auto db = accessdb::openDatabase(mdb.isEmpty() ? sample : mdb);
        auto rs = db->openRecordset(table);
        if (rs->recordCount() < 1)
            return 0;
        rs->moveLast();
        return rs->recordCount();
    }

    void expectAllRows(const ScratchDatabase& db, const QStringList& tables)
    {
        for (const QString& table : tables)
            EXPECT_EQ(countRows(db.dsn(), table), accessRows(table)) << qPrintable(table);
    }

    QString sample, folder, program, odbcIni;
};

}  // namespace

TEST_F(UnattendedRun, ConvertsReconcilesHandsOverAndEndsOnSqlite)
{
    ScratchDatabase db(ScratchDatabase::Kind::Sqlite);
    useSqlite(db);
    const QString reportPath = folder + "/bericht.json";
    const RunResult r = run(standardArguments(sample) << QStringLiteral("-bericht:") + reportPath);
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.standardError);
    EXPECT_TRUE(r.standardError.contains(QStringLiteral("Zusammenfassung: Modul: gestartet")));
    EXPECT_EQ(foreignLines(r.standardError), QStringList());
    const QJsonObject report = QJsonDocument::fromJson(readFile(reportPath)).object();
    EXPECT_EQ(report[QStringLiteral("exitStatus")].toInt(), 0);
    EXPECT_FALSE(report[QStringLiteral("etwasVerloren")].toBool());
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("bericht.json*")}, QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file left behind";

    expectAllRows(db, {QStringLiteral("Kunden"), QStringLiteral("AdressenStamm"), QStringLiteral("Artikel")});
    // The document's fields and view reached the server; the hostile default is a text.
    EXPECT_EQ(sqlValue(db.dsn(), "SELECT COUNT(*) FROM pragma_table_info('Kunden') WHERE name='Bemerkung_E2E'").toInt(),
              1);
    EXPECT_EQ(sqlValue(db.dsn(), "SELECT dflt_value FROM pragma_table_info('Kunden') WHERE name='Land_E2E'").toString(),
              "'x''); DROP TABLE Artikel; --'");
    EXPECT_GT(countRows(db.dsn(), QStringLiteral("View_E2E_Orte")), 0);
    EXPECT_EQ(sqlValue(db.dsn(), "SELECT COUNT(*) FROM View_E2E_Orte WHERE Ort='Köln'").toInt(), 0);

    EXPECT_EQ(
        pluginArguments(),
        (QStringList{"-sp_datenbank=@@@" + Base64_Kodieren("ZAB"), "-sp_server=@@@" + Base64_Kodieren("srv01"),
                     "-sp_benutzer=@@@" + Base64_Kodieren("sa"), "-sp_passwort=@@@" + Base64_Kodieren("geheim")}));
    EXPECT_EQ(pluginStarts(), 1);
    EXPECT_EQ(QDir(readText(folder + "/Plugins/Velmora/cwd.txt").trimmed()).canonicalPath(),
              QDir(folder + "/Plugins/Velmora").canonicalPath());
}

TEST_F(UnattendedRun, ConvertsAndCreatesViewsOnMariadbAsTheMysqlKind)
{
    REQUIRE_MARIADB();
    ScratchDatabase db(ScratchDatabase::Kind::Mariadb);
    useMariadb(db, QStringLiteral("SET SESSION sql_mode=REPLACE(@@sql_mode,'NO_ENGINE_SUBSTITUTION','')"));
    // Only the view: the document's ALTER TABLE form uses brackets, which MariaDB refuses.
    writeFile(folder + "/ZAB.XDB", viewDocument(kOrteOhneKoeln));
    // The user and password given on the command line are the ones the server checks; the rows go
    // in transactions (-schnell).
    const RunResult r = run(standardArguments(sample, dbUser(), dbPassword())
                            << QStringLiteral("-servertyp:MySQL") << QStringLiteral("-schnell"));
    // MONEY and IMAGE are written on every kind, and MariaDB knows neither: those two tables fail,
    // the run goes to its end, hands over to the plug-in and reports the losses with status 3.
    EXPECT_EQ(r.exitCode, 3) << qPrintable(r.standardError);
    EXPECT_FALSE(r.standardError.contains(QStringLiteral("ENGINE"))) << qPrintable(r.standardError);
    for (const char* failed : {"Dokumente", "Kassenbuch"})
        EXPECT_TRUE(r.standardError.contains(QStringLiteral("Zusammenfassung:   \"%1\" [!Fehler!]").arg(failed)))
            << failed;
    expectAllRows(db, {QStringLiteral("Kunden"), QStringLiteral("AdressenStamm"), QStringLiteral("Artikel")});
    EXPECT_GT(countRows(db.dsn(), QStringLiteral("View_E2E_Orte")), 0);
    EXPECT_EQ(pluginStarts(), 1);
}

// A login that fails and an Access file that cannot be opened each end the run at once, before
// the document is read or the plug-in started.
TEST_F(UnattendedRun, AFailedLoginOrAnUnopenableAccessFileStopsBeforeTheDocument)
{
    ScratchDatabase db(ScratchDatabase::Kind::Sqlite);
    const QString missing = folder + "/fehlt.mdb";
    // The document does not exist either: reading it would leave an XDB_Verarbeiten entry.
    QFile::remove(folder + "/ZAB.XDB");
    const struct {
        const char* story;
        QStringList arguments;
        QString says;
    } cases[] = {
        {"data source missing",
         {"-ODBC:NOSUCHDSN", "-MDBpfad:" + sample, "-XDBpfad:" + folder + "/ZAB.XDB", "-auto"},
         "ODBC-Datenquelle 'NOSUCHDSN' nicht gefunden!"},
        {"Access file missing", standardArguments(missing), "Access-Datenquelle '" + missing + "' nicht gefunden!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        useSqlite(db);
        const RunResult r = run(c.arguments);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.standardError.contains(c.says)) << qPrintable(r.standardError);
        EXPECT_EQ(r.standardError.count(QStringLiteral("nicht gefunden!")), 1) << qPrintable(r.standardError);
        EXPECT_TRUE(
            r.standardError.contains(QStringLiteral("Bei der SQL-Datenbankerweiterung ist ein Fehler aufgetreten!")));
        expectStoppedBeforeTheDocument();
    }
}

// A run whose steps all went through still ends with status 3 when the report a script waits for
// cannot be written, or the plug-in to hand over to is missing.
TEST_F(UnattendedRun, AMissingReportOrPluginIsNeverStatusZero)
{
    ScratchDatabase db(ScratchDatabase::Kind::Sqlite);
    useSqlite(db);
    const QString report = folder + "/fehlt/b.json";
    RunResult r = run(standardArguments(sample) << QStringLiteral("-bericht:") + report);
    EXPECT_EQ(r.exitCode, 3) << qPrintable(r.standardError);
    EXPECT_TRUE(r.standardError.contains(QStringLiteral("Zusammenfassung: Berichtsdatei '") + report))
        << qPrintable(r.standardError);

    QDir(folder + "/Plugins").removeRecursively();
    r = run(standardArguments(sample));
    EXPECT_EQ(r.exitCode, 3) << qPrintable(r.standardError);
    EXPECT_TRUE(r.standardError.contains(QStringLiteral("Zusammenfassung: Modul: nicht gefunden")));
    EXPECT_TRUE(r.standardError.contains(
        QStringLiteral("Das Modul wurde nicht gefunden. Bitte wenden Sie sich an Ihren Administrator.")));
}

TEST_F(UnattendedRun, LossesEndWithStatusThreeNamedOnStandardErrorAndInTheReport)
{
    const QString mdb = folder + "/feindlich.mdb";
    writeFixture(mdb);
    writeFile(folder + "/ZAB.XDB", viewDocument(QStringLiteral("SELECT [Orte].[Ort] FROM [Orte]")));
    QList<ScratchDatabase::Kind> kinds{ScratchDatabase::Kind::Sqlite};
    if (mariadbAvailable() || runningInCi())
        kinds << ScratchDatabase::Kind::MariadbAnsi;
    for (const ScratchDatabase::Kind kind : kinds) {
        const bool maria = kind != ScratchDatabase::Kind::Sqlite;
        SCOPED_TRACE(maria ? "MariaDB" : "SQLite");
        ScratchDatabase db(kind);
        maria ? useMariadb(db) : useSqlite(db);
        const QString reportPath = folder + (maria ? "/bericht-mariadb.json" : "/bericht-sqlite.json");
        const RunResult r =
            run(standardArguments(mdb, dbUser(), dbPassword()) << QStringLiteral("-bericht:") + reportPath);
        const QJsonObject report = QJsonDocument::fromJson(readFile(reportPath)).object();
        ASSERT_FALSE(report.isEmpty()) << qPrintable(r.standardError);
        EXPECT_EQ(r.exitCode, 3) << qPrintable(r.standardError);
        EXPECT_TRUE(r.standardError.contains(QStringLiteral("Zusammenfassung: Ergebnis: 3 - ")))
            << qPrintable(r.standardError);
        EXPECT_EQ(foreignLines(r.standardError), QStringList());
        for (const QString& table : {QStringLiteral("Orte"), QStringLiteral("Konto Buchungen"),
                                     QStringLiteral("Doppelt"), QStringLiteral("Geraete")}) {
            EXPECT_TRUE(r.standardError.contains(QStringLiteral("Zusammenfassung:   \"%1\" ").arg(table)))
                << qPrintable(table);
            const QJsonObject entry = tableEntry(report, table);
            ASSERT_FALSE(entry.isEmpty()) << qPrintable(table);
            // A table the server would not create is never read.
            const bool created = table != QLatin1String("Konto Buchungen");
            EXPECT_EQ(entry[QStringLiteral("zeilenGelesen")].toInt(), created ? accessRows(table, mdb) : 0)
                << qPrintable(table);
            EXPECT_EQ(entry[QStringLiteral("ergebnis")].toString() == QLatin1String("Fehler"),
                      table == QLatin1String("Konto Buchungen") || table == QLatin1String("Doppelt"))
                << qPrintable(table);
        }
        EXPECT_GE(tableEntry(report, QStringLiteral("Doppelt"))[QStringLiteral("zeilenAbgelehnt")].toInt(), 1);
    }
}

TEST(ProgramWithoutDisplay, UnusableCommandLinesEndWithStatusTwoAndHelpWithZero)
{
    const QString program = QStringLiteral(DORVEX_BINARY_DIR "/dorvex");
    const struct {
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {{"-ODBC:ZABSQL", "-servertyp:Nonsense", "-auto"}, "Unbekannter Servertyp 'Nonsense'"},
        {{"-ODBC:ZABSQL", "-bericht:", "-auto"}, "-bericht: braucht einen Dateinamen"},
        {{"-ODBC:ZABSQL"}, "Ohne Bildschirm ist nur der unbeaufsichtigte Lauf"},
    };
    for (const auto& c : cases) {
        const RunResult r = runProgram(program, c.arguments);
        EXPECT_EQ(r.exitCode, 2) << c.reason << "\n" << qPrintable(r.standardError);
        EXPECT_TRUE(r.standardError.contains(QString::fromUtf8(c.reason))) << qPrintable(r.standardError);
        EXPECT_EQ(foreignLines(r.standardError).join(u'|'), QString()) << c.reason;
    }

    const RunResult help = runProgram(program, {QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* s : {"-ODBC:", "-user:", "-pass:", "-MDBpfad:", "-XDBpfad:", "-auto", "-noerror",
                          "-servertyp:", "-linux", "-bericht:", "-schnell", "Exit-Status", "  3  ", "Datenquelle"})
        EXPECT_TRUE(help.standardOutput.contains(QLatin1String(s))) << s;
}

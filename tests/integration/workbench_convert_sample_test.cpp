// The sample database converted through the conversion window into real databases: SQLite and
// MariaDB through unixODBC, read back and compared with the Access file.
#include "common/FakeMainWindow.h"
#include "common/ScriptedDialogs.h"
#include "common/Servers.h"
#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/FehlerProtokoll.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "diag/SingleInstance.h"
#include "runtime/Platform.h"
#include "runtime/Strings.h"
#include "workbench/Form_Auto.h"
#include "workbench/Konvertierung.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cmath>

namespace {

using testsupport::ScratchDatabase;

struct Setup {
    ScratchDatabase::Kind db;
    ServerKind kind;
    bool engineSubstitution;  // MySQL kind: ENGINE=BDB needs a server that substitutes engines
    const char* label;
    // Tables the server refuses, and why (the expectation follows from the server's types).
    QStringList refused;
};

void PrintTo(const Setup& s, std::ostream* os) { *os << s.label; }

QString digits(const QString& s)
{
    QString d;
    for (QChar c : s)
        if (c.isDigit())
            d += c;
    return d;
}

// The default Access stores for a field, as a plain value ("\"Herr\"" gives Herr).
QString plainDefault(const accessdb::Field& f)
{
    QString s = f.defaultValue;
    if (s.startsWith('"'))
        s.remove(0, 1);
    if (s.endsWith('"'))
        s.chop(1);
    if (f.type == accessdb::type::Boolean)
        return s.compare("yes", Qt::CaseInsensitive) == 0 ? "1" : "0";
    return s;
}

class ConvertSample : public ::testing::TestWithParam<Setup> {
protected:
    void SetUp() override
    {
        REQUIRE_SERVER_FOR(GetParam().db);
        samplePath = testsupport::sampleFile("ZABRIX.MDB");
        if (!QFile::exists(samplePath)) {
            if (testsupport::runningInCi())
                FAIL() << "sample database missing: " << samplePath.toStdString();
            GTEST_SKIP() << "sample database missing (build the target 'sample')";
        }
        scratch = std::make_unique<ScratchDatabase>(GetParam().db);
        QString dsn = scratch->dsn();
        if (GetParam().engineSubstitution)
            dsn = QString("DSN=%1;DATABASE=%2").arg(testsupport::mariadbEngsubDsn(), scratch->databaseName());
        engine = sql::createOdbcEngine();
        env1 = engine->createEnvironment("0Dorvex", QString(), QString());
        env2 = engine->createEnvironment("1Dorvex", QString(), QString());
        session().mainWindow = &mw;
        session().AbfrageTimeout = 120;
        mw.kind = GetParam().kind;
        mw.dsn = "ZABTEST";
        session().Verbindung1 = env1->openConnection(dsn);
        session().Verbindung2 = env2->openConnection(dsn);
        if (GetParam().db == ScratchDatabase::Kind::MariadbAnsi)
            // Backslashes are plain characters for the Microsoft SQL kind.
            session().Verbindung1->execute("SET SESSION sql_mode=CONCAT(@@sql_mode,',NO_BACKSLASH_ESCAPES')");
        rt::setProgramFolder(testsupport::tempFolder());
        mdb = accessdb::openDatabase(samplePath);
    }
    void TearDown() override
    {
        window.reset();
        SingleInstance<Form_Auto>::unload();
        SingleInstance<FehlerProtokoll>::unload();
        session().Verbindung1.reset();
        session().Verbindung2.reset();
        session().mainWindow = nullptr;
        session().FehlerAufgetreten = false;
        rt::setProgramFolder(QString());
    }

    QVariant value(const QString& query) { return testsupport::firstValue(*session().Verbindung1, query); }
    QString col(const QString& name) const
    {
        return GetParam().kind == ServerKind::MySQL ? "`" + name + "`" : "\"" + name + "\"";
    }
    QString literal(const accessdb::Field& f, const accessdb::Value& v) const
    {
        if (f.type == accessdb::type::Text || f.type == accessdb::type::Memo) {
            QString t = QString(v.text).replace("'", "''");
            if (GetParam().kind == ServerKind::MySQL)
                t.replace("\\", "\\\\");
            return "'" + t + "'";
        }
        return QString(v.text).replace(',', '.');
    }
    // Texts are compared on the server, character for character.
    bool sameText(const QString& table, const QString& where, const accessdb::Field& f, const accessdb::Value& v)
    {
        const QString lhs = GetParam().db == ScratchDatabase::Kind::Sqlite ? col(f.name) : "BINARY " + col(f.name);
        return value("SELECT COUNT(*) FROM " + table + " WHERE " + where + " AND " + lhs + " = " + literal(f, v))
                   .toInt() == 1;
    }
    // Compares every row of an Access table with the server's, looking rows up by their key.
    void compareTable(const accessdb::TableDef& def)
    {
        SCOPED_TRACE(def.name.toStdString());
        QStringList key;
        for (const accessdb::Index& ix : def.indexes)
            if (ix.primary)
                key = ix.fields;
        auto rs = mdb->openRecordset(def.name);
        long count = 0;
        if (rs->recordCount() > 0) {
            rs->moveLast();
            count = rs->recordCount();
            rs->moveFirst();
        }
        EXPECT_EQ(value("SELECT COUNT(*) FROM " + def.name).toLongLong(), count);
        if (key.isEmpty())
            return;  // rows without a key can repeat; the count says enough
        for (; !rs->eof(); rs->moveNext()) {
            QStringList where;
            for (int i = 0; i < rs->fieldCount(); ++i)
                if (key.contains(rs->field(i).name))
                    where << col(rs->field(i).name) + " = " + literal(rs->field(i), rs->value(i));
            for (int i = 0; i < rs->fieldCount(); ++i) {
                const accessdb::Field& f = rs->field(i);
                const accessdb::Value& a = rs->value(i);
                const QVariant s = value("SELECT " + col(f.name) + " FROM " + def.name + " WHERE " + where.join(" AND "));
                const std::string ctx = (f.name + " where " + where.join(" AND ")).toStdString();
                if (a.isNull) {
                    // A missing value is NULL or stands in as the field's default.
                    if (!s.isNull() && !f.defaultValue.isEmpty() && f.type != accessdb::type::DateTime)
                        EXPECT_EQ(s.toString().trimmed(), plainDefault(f)) << ctx;
                    else
                        EXPECT_TRUE(s.isNull()) << ctx << " server has " << s.toString().toStdString();
                    continue;
                }
                switch (f.type) {
                case accessdb::type::Boolean: EXPECT_EQ(s.toInt(), a.text == "TRUE" ? 1 : 0) << ctx; break;
                case accessdb::type::DateTime: {
                    const bool special = (def.name == "Terminkalender" && f.name.startsWith("zeit")) ||
                                         (def.name == "Formularprotokoll" && f.name == "uhrzeit");
                    const QString d = digits(s.toString());
                    if (special) {  // the time with the record's date
                        EXPECT_EQ(d.mid(8, 6), QString::asprintf("%02d%02d%02d", a.hour, a.minute, a.second)) << ctx;
                    } else {  // the date only
                        EXPECT_EQ(d.left(8), QString::asprintf("%04d%02d%02d", a.year, a.month, a.day)) << ctx;
                    }
                    if (d.size() > 8 && !special) {
                        EXPECT_EQ(d.mid(8).toLongLong(), 0) << ctx;
                    }
                    break;
                }
                case accessdb::type::Binary:
                case accessdb::type::LongBinary:
                case accessdb::type::Guid:  // compared on the server: drivers hand blobs over as they like
                    EXPECT_EQ(value("SELECT COUNT(*) FROM " + def.name + " WHERE " + where.join(" AND ") + " AND HEX(" +
                                    col(f.name) + ") = '" + QString::fromLatin1(a.bytes.toHex().toUpper()) + "'")
                                  .toInt(),
                              1)
                        << ctx;
                    break;
                case accessdb::type::Text:
                case accessdb::type::Memo:
                    EXPECT_TRUE(sameText(def.name, where.join(" AND "), f, a)) << ctx << " Access has " << a.text.toStdString();
                    break;
                default: {
                    const double expected = QString(a.text).replace(',', '.').toDouble();
                    EXPECT_NEAR(s.toDouble(), expected, std::fabs(expected) * 1e-6 + 1e-9) << ctx;
                }
                }
            }
        }
    }

    testsupport::FakeMainWindow mw;
    testsupport::ScriptedDialogs dialogs;
    std::unique_ptr<ScratchDatabase> scratch;
    std::unique_ptr<sql::Engine> engine;
    std::shared_ptr<sql::Environment> env1, env2;
    std::unique_ptr<accessdb::Database> mdb;
    std::unique_ptr<Konvertierung> window;
    QString samplePath;
};

}  // namespace

TEST_P(ConvertSample, MarkedTablesConvertAndFailedOnesCanBeRetried)
{
    window = std::make_unique<Konvertierung>();
    window->ZABPfad->setText(samplePath);
    window->MDB_Anmelden();
    ASSERT_FALSE(session().FehlerAufgetreten) << dialogs.messages().join("|").toStdString();
    QStringList tables;
    for (const accessdb::TableDef& t : mdb->tableDefs())
        if ((t.attributes & accessdb::kSystemObjectBits) == 0)
            tables << t.name;
    ASSERT_EQ(window->List2->count(), tables.size());
    // The server is empty: every table is missing and marked.
    for (int i = 0; i < window->List2->count(); ++i) {
        EXPECT_EQ(window->List2->item(i)->text(), tables[i]);
        EXPECT_TRUE(window->List2->item(i)->isSelected()) << tables[i].toStdString();
    }

    runReport().reset();
    window->Command2_Click();
    const QStringList& refused = GetParam().refused;
    // The run's report: every row sent is on the server, a refused row is counted.
    for (const QString& t : tables) {
        const TableReport& r = runReport().table(t);
        EXPECT_EQ(r.failed, refused.contains(t)) << t.toStdString();
        if (r.serverRows >= 0) {
            EXPECT_EQ(r.serverRows, r.rowsSent) << t.toStdString();
        }
        EXPECT_EQ(r.rowsRead, r.rowsSent + r.rowsRefused + r.emptyRecords) << t.toStdString();
        if (!r.failed) {
            EXPECT_EQ(r.rowsRefused, 0) << t.toStdString();
        }
    }
    if (GetParam().kind == ServerKind::MSSQL && GetParam().db != ScratchDatabase::Kind::Sqlite) {
        // MariaDB refuses the date-and-time text of the special time columns row by row.
        const TableReport& termine = runReport().table("Terminkalender");
        EXPECT_GT(termine.rowsRefused, 0);
        EXPECT_EQ(termine.serverRows, termine.rowsSent);
    }
    for (int i = 0; i < window->List2->count(); ++i) {
        const QString& t = tables[i];
        const bool fails = refused.contains(t);
        EXPECT_EQ(window->List2->item(i)->text(),
                  Konvertierung::Name_Auffuellen(t) + (fails ? "[!Fehler!]" : "[migriert]"))
            << SingleInstance<FehlerProtokoll>::get().text().toStdString();
        EXPECT_EQ(window->List2->item(i)->isSelected(), fails) << t.toStdString();
    }
    for (const accessdb::TableDef& t : mdb->tableDefs())
        if (tables.contains(t.name) && !refused.contains(t.name))
            compareTable(t);

    // A second batch takes exactly the tables that failed.
    window->Command2_Click();
    const QString log = SingleInstance<FehlerProtokoll>::get().text();
    QStringList converted;
    for (const QString& line : log.split("\r\n"))
        if (line.startsWith("Tabelle: "))
            converted << line.mid(9);
    QStringList expected;
    for (const QString& t : tables)
        if (refused.contains(t))
            expected << t;
    EXPECT_EQ(converted, expected);
    for (int i = 0; i < window->List2->count(); ++i)
        EXPECT_TRUE(window->List2->item(i)->text().endsWith(refused.contains(tables[i]) ? "[!Fehler!]" : "[migriert]"));

    // A login afterwards finds the converted tables with their rows.
    window->MDB_Anmelden();
    for (int i = 0; i < window->List2->count(); ++i) {
        if (refused.contains(tables[i]))
            continue;
        auto rs = mdb->openRecordset(tables[i]);
        long count = 0;
        if (rs->recordCount() > 0) {
            rs->moveLast();
            count = rs->recordCount();
        }
        EXPECT_EQ(window->List2->item(i)->text(),
                  Konvertierung::Name_Auffuellen(tables[i]) + "[" + QString::number(count) + "]");
        EXPECT_FALSE(window->List2->item(i)->isSelected()) << tables[i].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ConvertSample,
    ::testing::Values(
        // SQLite takes every type name, and its binary literals X'...' (the connection tells
        // it is SQLite) whatever the server kind.
        Setup{ScratchDatabase::Kind::Sqlite, ServerKind::MSSQL, false, "SqliteMsSql", {}},
        // MariaDB has no MONEY, IMAGE or VARBINARY without a length.
        Setup{ScratchDatabase::Kind::Mariadb, ServerKind::MySQL, true, "MariadbMySql", {"Kassenbuch", "Dokumente"}},
        // In addition a DATETIME column cannot default to the text '=Date()', and MariaDB does
        // not read the date-and-time text 'yyyymmdd hh:mm:ss' of the special time columns.
        Setup{ScratchDatabase::Kind::MariadbAnsi, ServerKind::MSSQL, false, "MariadbMsSql",
              {"Kunden", "Auftraege", "Terminkalender", "Formularprotokoll", "Kassenbuch", "Dokumente"}}),
    [](const ::testing::TestParamInfo<Setup>& info) { return std::string(info.param.label); });

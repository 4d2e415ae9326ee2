// The fast transfer (Check_Schnell) through the conversion window into real databases: rows go in
// transactions, a refused row costs only itself, a stop keeps exactly what was committed, and the
// connection is back in autocommit afterwards.
#include "common/Controls.h"
#include "common/FakeMainWindow.h"
#include "common/ScriptedDialogs.h"
#include "common/Servers.h"
#include "diag/AppContext.h"
#include "diag/FehlerProtokoll.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "diag/SingleInstance.h"
#include "mdbwriter/MdbWriter.h"
#include "runtime/Platform.h"
#include "workbench/Form_Auto.h"
#include "workbench/Konvertierung.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

namespace {

using testsupport::ScratchDatabase;
using Kind = ScratchDatabase::Kind;

constexpr int kRows = 2500;

// A user who clicks the stop image while the status line shows the given record.
class StoppedWindow : public Konvertierung {
public:
    QString stopAt;  // e.g. "1500/": empty never stops
    void setStatus(const QString& text) override
    {
        Konvertierung::setStatus(text);
        if (!stopAt.isEmpty() && text.startsWith(stopAt))
            Image1_Click();
    }
};

class FastTransfer : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        REQUIRE_SERVER_FOR(GetParam());
        scratch = std::make_unique<ScratchDatabase>(GetParam());
        session().mainWindow = &mw;
        session().AbfrageTimeout = 120;
        mw.kind = ServerKind::MSSQL;
        mw.dsn = "ZABTEST";
        session().Verbindung1 = testsupport::connectOdbc(scratch->dsn());
        session().Verbindung2 = testsupport::connectOdbc(scratch->dsn());
        rt::setProgramFolder(testsupport::tempFolder());
    }
    void TearDown() override
    {
        window.reset();
        SingleInstance<Form_Auto>::unload();
        SingleInstance<FehlerProtokoll>::unload();
        resetForTests();
    }

    // Artikel with kRows rows keyed by Nr; the row at duplicateAt (from 0) repeats the key before it.
    void convert(int duplicateAt, const QString& stopAt)
    {
        mdbw::Database db;
        db.addTable("Artikel")
            .addField(mdbw::field("Nr", mdbw::type::Long, 0, true))
            .addField(mdbw::field("Name", mdbw::type::Text, 20))
            .addIndex({"PrimaryKey", {"Nr"}, true, true})
            .generateRows(kRows, [duplicateAt](qint64 n, mdbw::Row& row) {
                row[0] = n == duplicateAt ? n - 1 : n;
                row[1] = QString("Artikel %1").arg(n);
            });
        const QString path = QDir(testsupport::tempFolder()).filePath("schnell.mdb");
        db.write(path);
        window = std::make_unique<StoppedWindow>();
        window->stopAt = stopAt;
        testsupport::control<QCheckBox>(*window, "Check_Schnell")->setChecked(true);
        testsupport::control<QLineEdit>(*window, "ZABPfad")->setText(path);
        window->MDB_Anmelden();
        ASSERT_FALSE(session().FehlerAufgetreten);
        runReport().reset();
        window->Command2_Click();
    }
    // A statement after the copy is permanent without a commit of ours: another connection sees it.
    void expectAutocommitAgain(int rowsBefore)
    {
        session().Verbindung1->execute("INSERT INTO Artikel (\"Nr\", \"Name\") VALUES (99999, 'danach')");
        EXPECT_EQ(
            testsupport::firstValue(*testsupport::connectOdbc(scratch->dsn()), "SELECT COUNT(*) FROM Artikel").toInt(),
            rowsBefore + 1);
    }

    testsupport::FakeMainWindow mw;
    testsupport::ScriptedDialogs dialogs;
    std::unique_ptr<ScratchDatabase> scratch;
    std::unique_ptr<StoppedWindow> window;
};

}  // namespace

TEST_P(FastTransfer, EveryRowArrivesAndARefusedRowCostsOnlyItself)
{
    convert(1200, QString());
    const TableReport& r = runReport().table("Artikel");
    EXPECT_EQ(r.rowsSent, kRows - 1);
    EXPECT_EQ(r.rowsRefused, 1);
    EXPECT_EQ(r.rowsNotSent, 0);
    EXPECT_EQ(r.serverRows, kRows - 1);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(testsupport::sqlValue(scratch->dsn(), "SELECT COUNT(*) FROM Artikel WHERE \"Nr\" = 1199").toInt(), 1);
    EXPECT_EQ(testsupport::sqlValue(scratch->dsn(), "SELECT MAX(\"Nr\") FROM Artikel").toInt(), kRows - 1);
    const QString log = SingleInstance<FehlerProtokoll>::get().text();
    EXPECT_TRUE(log.contains("Tabelle: Artikel")) << log.toStdString();
    EXPECT_EQ(log.count("\r\n"), 2) << log.toStdString();  // the table's line and the refused row's
    expectAutocommitAgain(kRows - 1);
}

TEST_P(FastTransfer, AStopKeepsExactlyTheCommittedRows)
{
    convert(-1, "1500/");
    const TableReport& r = runReport().table("Artikel");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.rowsSent, 1500);
    EXPECT_EQ(r.rowsNotSent, kRows - 1500);
    EXPECT_EQ(testsupport::sqlValue(scratch->dsn(), "SELECT COUNT(*) FROM Artikel").toInt(), 1500);
    EXPECT_TRUE(testsupport::control<QListWidget>(*window, "List2")->item(0)->text().endsWith("[!Fehler!]"));
    expectAutocommitAgain(1500);
}

INSTANTIATE_TEST_SUITE_P(Servers, FastTransfer, ::testing::Values(Kind::Sqlite, Kind::MariadbAnsi),
                         [](const auto& i) { return i.param == Kind::Sqlite ? "Sqlite" : "Mariadb"; });

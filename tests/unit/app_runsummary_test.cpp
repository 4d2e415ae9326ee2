#include "app/RunSummary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

RunReport cleanRun()
{
    RunReport r;
    r.startedMsecs = 1'700'000'000'000;
    TableReport& t = r.table(QStringLiteral("Kunden"));
    t.rowsRead = t.rowsSent = t.serverRows = 12;
    r.xdb.started = true;
    r.xdb.path = QStringLiteral("/d/ZAB.XDB");
    r.xdb.linesRead = 40;
    r.xdb.fieldsAdded = 2;
    r.plugin.state = PluginReport::State::Started;
    return r;
}

TEST(RunExitStatus, FailureBeatsLossAndEveryKindOfLossGivesThree)
{
    const struct {
        const char* what;
        std::function<void(RunReport&)> change;
        int withoutFailure;
    } cases[] = {
        {"clean", [](RunReport&) {}, 0},
        {"table failed", [](RunReport& r) { r.tables[0].failed = true; }, 3},
        {"row refused", [](RunReport& r) { r.tables[0].rowsRefused = 1; }, 3},
        {"fewer rows on the server", [](RunReport& r) { r.tables[0].serverRows = 11; }, 3},
        {"no row on the server", [](RunReport& r) { r.tables[0].serverRows = 0; }, 3},
        {"rows not sent", [](RunReport& r) { r.tables[0].rowsNotSent = 1; }, 3},
        {"server not counted", [](RunReport& r) { r.tables[0].serverRows = -1; }, 0},
        {"document line not applied", [](RunReport& r) { r.xdb.linesNotApplied = 1; }, 3},
        {"view not created", [](RunReport& r) { r.viewsNotCreated = 1; }, 3},
        {"plug-in missing", [](RunReport& r) { r.plugin.state = PluginReport::State::NotFound; }, 3},
        {"plug-in refused", [](RunReport& r) { r.plugin.state = PluginReport::State::Refused; }, 3},
    };
    for (const auto& c : cases) {
        RunReport r = cleanRun();
        c.change(r);
        EXPECT_EQ(runExitStatus(false, r), c.withoutFailure) << c.what;
        EXPECT_EQ(runExitStatus(true, r), 1) << c.what;
    }
}

TEST(RunReportJson, HoldsTheFigures)
{
    RunReport r = cleanRun();
    r.table(QStringLiteral("Guids")).failed = true;
    const QJsonObject root = QJsonDocument::fromJson(runReportJson(r, 3, false, r.startedMsecs + 2000)).object();
    EXPECT_EQ(root[QStringLiteral("exitStatus")].toInt(), 3);
    EXPECT_TRUE(root[QStringLiteral("etwasVerloren")].toBool());
    EXPECT_DOUBLE_EQ(root[QStringLiteral("dauerSekunden")].toDouble(), 2.0);
    const QJsonArray tables = root[QStringLiteral("tabellen")].toArray();
    ASSERT_EQ(tables.size(), 2);
    const QJsonObject kunden = tables[0].toObject();
    EXPECT_EQ(kunden[QStringLiteral("name")].toString(), QStringLiteral("Kunden"));
    EXPECT_EQ(kunden[QStringLiteral("ergebnis")].toString(), QStringLiteral("migriert"));
    EXPECT_EQ(kunden[QStringLiteral("zeilenGelesen")].toInt(), 12);
    EXPECT_EQ(kunden[QStringLiteral("zeilenAufDemServer")].toInt(), 12);
    EXPECT_EQ(tables[1].toObject()[QStringLiteral("ergebnis")].toString(), QStringLiteral("Fehler"));
    EXPECT_TRUE(tables[1].toObject()[QStringLiteral("zeilenAufDemServer")].isNull());
    EXPECT_EQ(root[QStringLiteral("xdb")].toObject()[QStringLiteral("felderHinzugefuegt")].toInt(), 2);
    EXPECT_EQ(root[QStringLiteral("modul")].toObject()[QStringLiteral("zustand")].toString(),
              QStringLiteral("gestartet"));
}

}  // namespace

#include "common/Controls.h"
#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/MemoryAccessDatabase.h"
#include "common/RecordingConnection.h"
#include "common/ScriptedDialogs.h"
#include "diag/FehlerProtokoll.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "diag/SingleInstance.h"
#include "mdbwriter/MdbWriter.h"
#include "runtime/Platform.h"
#include "workbench/Form_Auto.h"
#include "workbench/Konvertierung.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::field;
using testsupport::index;
namespace val = testsupport::val;
namespace ty = accessdb::type;
using Row = testsupport::MemoryAccessDatabase::Row;
using testsupport::control;
using testsupport::itemTexts;

namespace {

class Workbench : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::beginSession(mw);
        session().AbfrageTimeout = 120;
        conn1 = std::make_shared<testsupport::RecordingConnection>();
        conn2 = std::make_shared<testsupport::RecordingConnection>();
        session().Verbindung1 = conn1;
        session().Verbindung2 = conn2;
        w = std::make_unique<Konvertierung>();
        w->resize(900, 600);
        w->show();
    }
    void TearDown() override
    {
        w.reset();
        SingleInstance<Form_Auto>::unload();
        SingleInstance<FehlerProtokoll>::unload();
        testsupport::endSession();
    }
    // The window's controls by their names.
    QListWidget* list2() const { return control<QListWidget>(*w, "List2"); }  // the tables
    QStringList list1() const { return itemTexts(*control<QListWidget>(*w, "List1")); }
    QPushButton* button(const char* name) const { return control<QPushButton>(*w, name); }
    QLineEdit* mdbPath() const { return control<QLineEdit>(*w, "ZABPfad"); }
    QString status() const { return control<QLabel>(*w, "Label1")->text(); }
    QList<int> markedRows() const
    {
        QList<int> rows;
        for (int i = 0; i < list2()->count(); ++i)
            if (list2()->item(i)->isSelected())
                rows << i;
        return rows;
    }

    void fillList(const QStringList& items)
    {
        list2()->clear();
        list2()->addItems(items);
    }
    QPoint centreOf(int row) const { return list2()->visualItemRect(list2()->item(row)).center(); }
    // A memory database with Kunden (primary key, 2 rows), Notizen (no key, 1 row) and a table
    // whose field type has no SQL type.
    void useMemoryDatabase()
    {
        auto db = std::make_unique<testsupport::MemoryAccessDatabase>();
        accessdb::TableDef k;
        k.name = "Kunden";
        k.fields = {field("Nr", ty::Long, 4, true), field("Name", ty::Text, 30)};
        k.indexes = {index("PrimaryKey", {"Nr"}, true)};
        db->addTable(k) << Row{val::integer(1), val::text("Meier")} << Row{val::integer(2), val::text("Müller")};
        accessdb::TableDef n;
        n.name = "Notizen";
        n.fields = {field("Text", ty::Memo)};
        db->addTable(n) << Row{val::text("x")};
        accessdb::TableDef r;
        r.name = "Roh";
        r.fields = {field("Nr", ty::Long), field("Daten", ty::Binary, 8)};
        r.indexes = {index("PrimaryKey", {"Nr"}, true)};
        db->addTable(r);
        w->setDatabase(std::move(db));
        fillList({Konvertierung::Name_Auffuellen("Kunden") + "[12]", "Notizen", "Roh"});
        w->Schalter_Freigeben(true);
    }

    testsupport::FakeMainWindow mw;
    testsupport::ScriptedDialogs dialogs;
    std::shared_ptr<testsupport::RecordingConnection> conn1, conn2;
    std::unique_ptr<Konvertierung> w;
};

}  // namespace

TEST_F(Workbench, LockedMarkingCannotBeBypassedByKeysOrDragging)
{
    fillList({Konvertierung::Name_Auffuellen("Voll") + "[5]", "Fehlt", Konvertierung::Name_Auffuellen("Auch") + "[9]",
              Konvertierung::Name_Auffuellen("Leer") + "[0]"});
    w->setMarkedBySystem(1, true);
    list2()->setFocus();
    list2()->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    const auto drag = [&] {
        const QPoint to = centreOf(3);
        QTest::mousePress(list2()->viewport(), Qt::LeftButton, {}, centreOf(0));
        QMouseEvent move(QEvent::MouseMove, to, list2()->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(list2()->viewport(), &move);
        QTest::mouseRelease(list2()->viewport(), Qt::LeftButton, {}, to);
    };
    const struct {
        const char* attempt;
        std::function<void()> input;
    } attempts[] = {
        {"Ctrl+A", [&] { QTest::keyClick(list2(), Qt::Key_A, Qt::ControlModifier); }},
        {"Shift+Down", [&] { QTest::keyClick(list2(), Qt::Key_Down, Qt::ShiftModifier); }},
        {"click", [&] { QTest::mouseClick(list2()->viewport(), Qt::LeftButton, {}, centreOf(2)); }},
        {"drag", drag},
    };
    for (const auto& a : attempts) {
        dialogs.shown.clear();
        a.input();
        EXPECT_EQ(markedRows(), QList<int>({1})) << a.attempt;
        EXPECT_EQ(dialogs.messages(), QStringList({"Funktion ist nicht freigeschalten"})) << a.attempt;
    }
    // Unlocked, the same keys mark freely.
    button("Command9")->click();
    dialogs.shown.clear();
    QTest::keyClick(list2(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(markedRows(), QList<int>({0, 1, 2, 3}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    // A click on a table with rows on the server warns; on an empty one it does not.
    const auto click = [&](int row) {
        const QPoint at = list2()->visualItemRect(list2()->item(row)).center();
        QTest::mouseClick(list2()->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
    };
    click(3);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    click(0);
    EXPECT_EQ(dialogs.messages(), QStringList({"ACHTUNG   ACHTUNG\r\ndiese Tabelle enhält Sätze"}));
}

TEST_F(Workbench, BatchMarksConvertedAndFailedTablesAndRetriesTheFailed)
{
    runReport().reset();
    useMemoryDatabase();
    control<QCheckBox>(*w, "Check_Autowert")->setChecked(true);
    for (int i = 0; i < 3; ++i)
        w->setMarkedBySystem(i, true);
    button("Command2")->click();

    EXPECT_EQ(itemTexts(*list2()), QStringList({Konvertierung::Name_Auffuellen("Kunden") + "[migriert]",
                                                Konvertierung::Name_Auffuellen("Notizen") + "[migriert]",
                                                Konvertierung::Name_Auffuellen("Roh") + "[!Fehler!]"}));
    EXPECT_EQ(markedRows(), QList<int>({2}));
    EXPECT_EQ(dialogs.messages(), QStringList({"Alle markierten Tabellen wurden konvertiert."}));
    EXPECT_TRUE(status().startsWith("Bereit. letzte Aktion: ")) << status().toStdString();
    EXPECT_TRUE(status().contains("  |  00:00:0"));
    EXPECT_TRUE(button("Command2")->isEnabled());
    EXPECT_TRUE(mw.workControlsEnabled);
    EXPECT_TRUE(w->markingLocked());

    Form_Auto* f = SingleInstance<Form_Auto>::existing();
    ASSERT_NE(f, nullptr);
    const QListWidget* identityList = control<QListWidget>(*f, "List_Auto");
    EXPECT_EQ(itemTexts(*identityList), QStringList({"1 Tabellen", "Notizen"}));
    EXPECT_TRUE(f->isVisible());
    const QString log = SingleInstance<FehlerProtokoll>::get().text();
    EXPECT_TRUE(log.contains("Tabelle: Kunden\r\nTabelle: Notizen\r\nTabelle: Roh\r\n"));
    EXPECT_TRUE(log.contains("'Daten'"));
    EXPECT_EQ(conn1->executed.filter("INSERT INTO Kunden").size(), 2);
    // The run's report holds each table's outcome.
    EXPECT_TRUE(runReport().table("Notizen").identityAdded);
    EXPECT_EQ(runReport().table("Roh").problems, QStringList({"Tabelle nicht angelegt"}));

    // The second batch converts only the table that failed; its types fail before anything is sent.
    conn1->executed.clear();
    button("Command2")->click();
    EXPECT_TRUE(conn1->executed.isEmpty()) << conn1->executed.join("|").toStdString();
    EXPECT_EQ(itemTexts(*identityList), QStringList({"0 Tabellen"}));
    EXPECT_TRUE(SingleInstance<FehlerProtokoll>::get().text().startsWith("Tabelle: Roh"));

    // List3 shows the key fields of the last table that got as far as finding them.
    for (const char* table : {"Kunden", "Roh"}) {
        control<QLineEdit>(*w, "Text1")->setText(table);
        w->Command1_SIK();
        EXPECT_EQ(itemTexts(*control<QListWidget>(*w, "List3")), QStringList({"Nr"})) << table;
    }
}

TEST_F(Workbench, LoginListsTablesWithServerCountsAndMarksMissingOnes)
{
    const QString path = QDir(testsupport::tempFolder()).filePath("login.mdb");
    mdbw::Database db;
    db.addTable("AdressenStamm").addField({"Nr", mdbw::type::Long});
    db.addTable("Fehlt").addField({"Nr", mdbw::type::Long});
    db.addTable("Versteckt").addField({"Nr", mdbw::type::Long}).setFlags(mdbw::kHidden);
    db.addTable("Intern").addField({"Nr", mdbw::type::Long}).setFlags(mdbw::kSystemAccess);
    db.write(path);
    conn2->results = {{"AdressenStamm", 12}, {"Versteckt", 0}};
    conn2->failWhen("Fehlt", "S0002: [MySQL] Table 'x.Fehlt' doesn't exist");
    mw.kind = ServerKind::MySQL;
    mdbPath()->setText(path);
    button("Command4")->click();

    EXPECT_EQ(itemTexts(*list2()), QStringList({"AdressenStamm" + QString(27, ' ') + "\t[12]", "Fehlt",
                                                Konvertierung::Name_Auffuellen("Versteckt") + "[0]"}));
    EXPECT_EQ(markedRows(), QList<int>({1}));
    EXPECT_EQ(list1(), QStringList({"Abfragen in Datenbank: 0", "Beziehungen in Datenbank: 0", "",
                                    "SQL-Treiber: ZABSQL : recording 1.0"}));
    EXPECT_EQ(status(), "Bereit.   [12 Sätze in 2 Tabellen auf dem SQL-Server]");
    EXPECT_TRUE(button("Command2")->isEnabled());
    EXPECT_TRUE(mdbPath()->isEnabled());
    EXPECT_TRUE(mw.workControlsEnabled);
    EXPECT_TRUE(w->markingLocked());
    EXPECT_FALSE(session().FehlerAufgetreten);

    // Changing the path empties the list until the next login.
    w->ZABPfad_Change();
    EXPECT_EQ(list2()->count(), 0);
    EXPECT_FALSE(button("Command2")->isEnabled());
    EXPECT_TRUE(button("Command4")->isEnabled());
}

TEST_F(Workbench, LoginCountersStopAtTheirLimitInsteadOfWrapping)
{
    const QString path = QDir(testsupport::tempFolder()).filePath("viele.mdb");
    mdbw::Database db;
    db.addTable("A").addField({"Nr", mdbw::type::Long});
    db.addTable("B").addField({"Nr", mdbw::type::Long});
    db.write(path);
    const struct {
        QVariant a, b;
        const char* status;  // nullptr: the sum does not fit and the login ends with overflow (6)
    } cases[] = {
        {2147483646.0, 1, "Bereit.   [2147483647 Sätze in 2 Tabellen auf dem SQL-Server]"},
        {2147483647.0, 1, nullptr},
        {3000000000.0, 0, nullptr},
        {-2147483648.0, -1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a.toString().toStdString());
        session().FehlerAufgetreten = false;
        conn2->results = {{"`A`", c.a}, {"`B`", c.b}};
        mw.kind = ServerKind::MySQL;
        mdbPath()->setText(path);
        w->MDB_Anmelden();
        if (c.status) {
            EXPECT_EQ(status(), QString::fromUtf8(c.status));
            EXPECT_FALSE(session().FehlerAufgetreten);
            continue;
        }
        EXPECT_TRUE(session().FehlerAufgetreten);
        EXPECT_FALSE(button("Command2")->isEnabled());
        EXPECT_TRUE(testsupport::errorLogText().contains("Code: MDB_Anmelden\tLine: 0\r\nQuelle: "));
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());  // an overflow is no overloaded server
}

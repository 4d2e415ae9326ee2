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
#include "runtime/Cp1252.h"
#include "runtime/Platform.h"
#include "workbench/Form_Auto.h"
#include "workbench/Konvertierung.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::field;
using testsupport::index;
namespace val = testsupport::val;
namespace ty = accessdb::type;
using Row = testsupport::MemoryAccessDatabase::Row;

namespace {

class Workbench : public ::testing::Test {
protected:
    void SetUp() override
    {
        rt::setProgramFolder(testsupport::tempFolder());
        session().AutoLauf = session().OhneFehlermeldung = session().FehlerAufgetreten = false;
        session().ParamMDBPfad.clear();
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
        session().Verbindung1.reset();
        session().Verbindung2.reset();
        session().AutoLauf = session().OhneFehlermeldung = session().FehlerAufgetreten = false;
        rt::setClock({});
    }
    void fillList(const QStringList& items)
    {
        w->List2->clear();
        w->List2->addItems(items);
    }
    // A user's click on an item; with Ctrl it toggles the item's mark.
    void click(int row, Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        QListWidgetItem* item = w->List2->item(row);
        const QRect r = w->List2->visualItemRect(item);
        QTest::mouseClick(w->List2->viewport(), Qt::LeftButton, mods, r.center());
    }
    // A memory database with Kunden (primary key, 2 rows), Notizen (no key, 1 row) and a table
    // whose field type has no SQL type.
    void useMemoryDatabase()
    {
        auto db = std::make_unique<testsupport::MemoryAccessDatabase>();
        accessdb::TableDef k;
        k.name = "Kunden";
        k.fields = {field("Nr", ty::Long, 4, true), field("Name", ty::Text, 30)};
        k.indexes = {index("PrimaryKey", {"Nr"}, true)};
        db->addTable(k) << Row{val::text("1"), val::text("Meier")} << Row{val::text("2"), val::text("Müller")};
        accessdb::TableDef n;
        n.name = "Notizen";
        n.fields = {field("Text", ty::Memo)};
        db->addTable(n) << Row{val::text("x")};
        accessdb::TableDef r;
        r.name = "Roh";
        r.fields = {field("Nr", ty::Long), field("Daten", ty::Binary, 8)};
        r.indexes = {index("PrimaryKey", {"Nr"}, true)};
        db->addTable(r);
        w->Datenbank = std::move(db);
        fillList({Konvertierung::Name_Auffuellen("Kunden") + "[12]", "Notizen", "Roh"});
        w->Schalter_Freigeben(true);
    }

    testsupport::FakeMainWindow mw;
    testsupport::ScriptedDialogs dialogs;
    std::shared_ptr<testsupport::RecordingConnection> conn1, conn2;
    std::unique_ptr<Konvertierung> w;
};

}  // namespace

TEST_F(Workbench, WindowComesUpWithItsControlsAndDefaults)
{
    EXPECT_EQ(w->windowTitle(), "Konvertierung : Access zu SQL-Server");
    EXPECT_EQ(w->Label1->text(), "Bereit.");
    EXPECT_EQ(w->Text1->text(), "AdressenStamm");
    EXPECT_FALSE(w->Text1->isVisible());
    EXPECT_FALSE(w->List3->isVisible());
    EXPECT_FALSE(w->Image1->isVisible());
    EXPECT_FALSE(w->Command1->isVisible());
    EXPECT_EQ(w->List2->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(w->Command9->text(), "Markieren nicht erlaubt");
    EXPECT_EQ(w->Command9_BackColor, 255);
    EXPECT_TRUE(w->Command2->font().bold());
    EXPECT_EQ(w->Command3->toolTip(), "MDB öffnen");
    EXPECT_EQ(w->Text_Mod->text(), "1");
    EXPECT_EQ(w->Text_Max->text(), "1");
    for (QPushButton* b : {w->Command2, w->Command5, w->Command6, w->Command7})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    for (QWidget* c : std::initializer_list<QWidget*>{w->Command3, w->Command4, w->Command8, w->Command9, w->ZABPfad,
                                                      w->Text_Max, w->Text_Mod, w->Check_Autowert})
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_EQ(w->Check_DefaultBlank->text(), "Default \" \" für Alpha");
    EXPECT_EQ(w->Check_Default0->text(), "Default \"0\" für Zahlen");
    EXPECT_EQ(w->findChild<QPushButton*>("Command7")->text(), "Komplette Übernahme");
}

TEST_F(Workbench, PathFromTheCommandLineLeavesOnlyTheLoginButtonsUsable)
{
    session().ParamMDBPfad = "/daten/ZABRIX.MDB";
    Konvertierung k;
    EXPECT_EQ(k.ZABPfad->text(), "/daten/ZABRIX.MDB");
    EXPECT_TRUE(k.Command3->isEnabled());
    EXPECT_TRUE(k.Command4->isEnabled());
    EXPECT_FALSE(k.ZABPfad->isEnabled());
    EXPECT_FALSE(k.Text_Max->isEnabled());
    EXPECT_FALSE(mw.workControlsEnabled);
    EXPECT_TRUE(k.markingLocked());
}

TEST_F(Workbench, FileDialogWritesThePathBack)
{
    dialogs.filesToChoose = {"/x/NEU.MDB"};
    fillList({"A"});
    w->Command3->click();
    EXPECT_EQ(dialogs.lastFilter, "Access|*.MDB");
    EXPECT_EQ(w->ZABPfad->text(), "/x/NEU.MDB");
    EXPECT_EQ(w->List2->count(), 0);
    EXPECT_FALSE(w->Command2->isEnabled());
}

TEST_F(Workbench, MarkingLockRefusesMarksWithAMessage)
{
    fillList({"A", Konvertierung::Name_Auffuellen("B") + "[3]"});
    w->List2->item(1)->setSelected(true);  // a mark the system set
    click(0);
    EXPECT_FALSE(w->List2->item(0)->isSelected());
    EXPECT_EQ(dialogs.messages(), QStringList({"Funktion ist nicht freigeschalten"}));
    // Unmarking is allowed and silent.
    click(1);
    EXPECT_FALSE(w->List2->item(1)->isSelected());
    EXPECT_EQ(dialogs.messages().size(), 1);

    for (bool* flag : {&session().AutoLauf, &session().OhneFehlermeldung}) {
        *flag = true;
        dialogs.shown.clear();
        click(0);
        EXPECT_FALSE(w->List2->item(0)->isSelected());
        EXPECT_TRUE(dialogs.shown.isEmpty());
        *flag = false;
    }
}

TEST_F(Workbench, LockedMarkingCannotBeBypassedByKeysOrDragging)
{
    fillList({Konvertierung::Name_Auffuellen("Voll") + "[5]", "Fehlt", Konvertierung::Name_Auffuellen("Auch") + "[9]",
              Konvertierung::Name_Auffuellen("Leer") + "[0]"});
    w->setMarkedBySystem(1, true);
    w->List2->setFocus();
    w->List2->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    auto marked = [&] {
        QList<int> rows;
        for (int i = 0; i < w->List2->count(); ++i)
            if (w->List2->item(i)->isSelected())
                rows << i;
        return rows;
    };
    const auto drag = [&] {
        const QPoint from = w->List2->visualItemRect(w->List2->item(0)).center();
        const QPoint to = w->List2->visualItemRect(w->List2->item(3)).center();
        QTest::mousePress(w->List2->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, w->List2->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(w->List2->viewport(), &move);
        QTest::mouseRelease(w->List2->viewport(), Qt::LeftButton, {}, to);
    };
    const struct {
        const char* attempt;
        std::function<void()> input;
    } attempts[] = {
        {"Ctrl+A", [&] { QTest::keyClick(w->List2, Qt::Key_A, Qt::ControlModifier); }},
        {"Shift+Down", [&] { QTest::keyClick(w->List2, Qt::Key_Down, Qt::ShiftModifier); }},
        {"Shift+Up", [&] { QTest::keyClick(w->List2, Qt::Key_Up, Qt::ShiftModifier); }},
        {"plain click", [&] { click(2, Qt::NoModifier); }},
        {"shift-click", [&] { click(3, Qt::ShiftModifier); }},
        {"drag", drag},
    };
    for (const auto& a : attempts) {
        dialogs.shown.clear();
        a.input();
        EXPECT_EQ(marked(), QList<int>({1})) << a.attempt;
        EXPECT_EQ(dialogs.messages(), QStringList({"Funktion ist nicht freigeschalten"})) << a.attempt;
    }
    // Unlocked, the same keys mark freely.
    w->Command9->click();
    dialogs.shown.clear();
    QTest::keyClick(w->List2, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(marked(), QList<int>({0, 1, 2, 3}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Workbench, UnlockedMarkingWarnsForTablesWithRows)
{
    fillList({Konvertierung::Name_Auffuellen("Leer") + "[0]", Konvertierung::Name_Auffuellen("Voll") + "[5]",
              Konvertierung::Name_Auffuellen("Alt") + "[migriert]", "Fehlt"});
    w->Command9->click();
    EXPECT_EQ(w->Command9->text(), "Markieren erlaubt");
    EXPECT_EQ(w->Command9_BackColor, 65280);
    click(0);
    click(3);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    click(1);
    click(2);
    const QString warning = "ACHTUNG   ACHTUNG\r\ndiese Tabelle enhält Sätze";
    EXPECT_EQ(dialogs.messages(), QStringList({warning, warning}));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(w->List2->item(i)->isSelected()) << i;  // the click stands
    w->Command9->click();
    EXPECT_TRUE(w->markingLocked());
}

TEST_F(Workbench, TableNamesAndPadding)
{
    EXPECT_EQ(Konvertierung::Name_Auffuellen("AdressenStamm"), "AdressenStamm" + QString(27, ' ') + "\t");
    const QString forty(40, 'x');
    EXPECT_EQ(Konvertierung::Name_Auffuellen(forty), forty + "\t");
    EXPECT_EQ(Konvertierung::Name_Auffuellen(forty + "yz"), forty + "yz\t");
    EXPECT_EQ(Konvertierung::tableNameOfItem(Konvertierung::Name_Auffuellen("Kunden") + "[12]"), "Kunden");
    EXPECT_EQ(Konvertierung::tableNameOfItem("  Kunden "), "Kunden");
    w->List3AddUnique("Nr");
    w->List3AddUnique("NR");
    w->List3AddUnique("Name");
    EXPECT_EQ(w->list3(), QStringList({"Nr", "Name"}));
}

TEST_F(Workbench, BatchMarksConvertedAndFailedTablesAndRetriesTheFailed)
{
    runReport().reset();
    useMemoryDatabase();
    w->Check_Autowert->setChecked(true);
    for (int i = 0; i < 3; ++i)
        w->setMarkedBySystem(i, true);
    w->Command2->click();

    const QString pad = Konvertierung::Name_Auffuellen("Kunden");
    EXPECT_EQ(w->List2->item(0)->text(), pad + "[migriert]");
    EXPECT_EQ(w->List2->item(1)->text(), Konvertierung::Name_Auffuellen("Notizen") + "[migriert]");
    EXPECT_EQ(w->List2->item(2)->text(), Konvertierung::Name_Auffuellen("Roh") + "[!Fehler!]");
    EXPECT_FALSE(w->List2->item(0)->isSelected());
    EXPECT_FALSE(w->List2->item(1)->isSelected());
    EXPECT_TRUE(w->List2->item(2)->isSelected());
    EXPECT_EQ(dialogs.messages(), QStringList({"Alle markierten Tabellen wurden konvertiert."}));
    EXPECT_TRUE(w->Label1->text().startsWith("Bereit. letzte Aktion: ")) << w->Label1->text().toStdString();
    EXPECT_TRUE(w->Label1->text().contains("  |  00:00:0"));
    EXPECT_TRUE(w->Command2->isEnabled());
    EXPECT_TRUE(mw.workControlsEnabled);
    EXPECT_TRUE(w->markingLocked());

    Form_Auto* f = SingleInstance<Form_Auto>::existing();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->List_Auto->count(), 2);
    EXPECT_EQ(f->List_Auto->item(0)->text(), "1 Tabellen");
    EXPECT_EQ(f->List_Auto->item(1)->text(), "Notizen");
    EXPECT_TRUE(f->isVisible());
    const QString log = SingleInstance<FehlerProtokoll>::get().text();
    EXPECT_TRUE(log.contains("Tabelle: Kunden\r\nTabelle: Notizen\r\nTabelle: Roh\r\n"));
    EXPECT_TRUE(log.contains("'Daten'"));
    EXPECT_EQ(conn1->executed.filter("INSERT INTO Kunden").size(), 2);
    // The run's report holds each table's numbers.
    const TableReport& kunden = runReport().table("Kunden");
    EXPECT_FALSE(kunden.failed);
    EXPECT_EQ(kunden.rowsRead, 2);
    EXPECT_EQ(kunden.rowsSent, 2);
    EXPECT_EQ(kunden.serverRows, 2);
    EXPECT_TRUE(runReport().table("Notizen").identityAdded);
    EXPECT_TRUE(runReport().table("Roh").failed);
    EXPECT_EQ(runReport().table("Roh").problems, QStringList({"Tabelle nicht angelegt"}));

    // The second batch converts only the table that failed; its types fail before anything is sent.
    conn1->executed.clear();
    w->Command2->click();
    EXPECT_TRUE(conn1->executed.isEmpty()) << conn1->executed.join("|").toStdString();
    EXPECT_EQ(f->List_Auto->item(0)->text(), "0 Tabellen");
    EXPECT_TRUE(SingleInstance<FehlerProtokoll>::get().text().startsWith("Tabelle: Roh"));
}

TEST_F(Workbench, BatchWithoutMarksAndUnattended)
{
    useMemoryDatabase();
    session().AutoLauf = true;
    w->Markierte_Tabellen_konvertieren();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(conn1->executed.isEmpty());
    EXPECT_EQ(w->List2->item(1)->text(), "Notizen");
    EXPECT_EQ(SingleInstance<Form_Auto>::get().List_Auto->item(0)->text(), "0 Tabellen");
}

TEST_F(Workbench, CompleteTakeoverAsksThreeTimes)
{
    useMemoryDatabase();
    dialogs.answers = {false};
    w->Command7->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "Sicherheitsabfrage");
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("Dieser Schalter darf nur im Zuge eine Neuanlage"));

    dialogs.shown.clear();
    dialogs.answers = {true, true, true};  // ... "Wollen Sie den Vorgang abbrechen ?" Yes
    w->Command7->click();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_TRUE(dialogs.shown[1].text.startsWith("VORSICHT ! ALLE DATEN"));
    EXPECT_EQ(dialogs.shown[2].text, "LETZTE WARNUNG! Wollen Sie den Vorgang abbrechen ?");
    EXPECT_TRUE(w->List2->selectedItems().isEmpty());
    EXPECT_TRUE(conn1->executed.isEmpty());

    dialogs.shown.clear();
    dialogs.answers = {true, true, false};
    w->Command7->click();
    EXPECT_EQ(conn1->executed.filter("DROP TABLE"), QStringList({"DROP TABLE Kunden", "DROP TABLE Notizen"}));
    EXPECT_TRUE(w->List2->item(0)->text().endsWith("[migriert]"));
    EXPECT_TRUE(w->Label1->text().startsWith("Bereit. letzte Aktion: "));
}

TEST_F(Workbench, CloseIsRefusedWhileConverting)
{
    w->Beschaeftigt = true;
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->Abbruch);
    EXPECT_TRUE(w->isVisible());
    w->Beschaeftigt = false;
    EXPECT_TRUE(w->close());
}

TEST_F(Workbench, StopImageRequestsAStop)
{
    w->Image1->show();
    QTest::mouseClick(w->Image1, Qt::LeftButton);
    EXPECT_TRUE(w->Abbruch);
    EXPECT_TRUE(w->TabellenFehler);
}

TEST_F(Workbench, IdentityOptionFollowsTheDataSourceOnActivation)
{
    w->Check_Autowert->setChecked(true);
    mw.dsn = "zab_test";
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w.get(), &activate);
    EXPECT_TRUE(w->Check_Autowert->isChecked());
    mw.dsn = "Firma";
    QCoreApplication::sendEvent(w.get(), &activate);
    EXPECT_FALSE(w->Check_Autowert->isChecked());
}

TEST_F(Workbench, IdentityOptionIsClearedWhenTheWindowBecomesTheActiveChildWindow)
{
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.show();
    auto* k = new Konvertierung;
    QMdiSubWindow* mine = area->addSubWindow(k);
    QMdiSubWindow* other = area->addSubWindow(new QWidget);
    mine->show();
    other->show();
    area->setActiveSubWindow(other);
    mw.dsn = "Firma";
    k->Check_Autowert->setChecked(true);
    area->setActiveSubWindow(mine);
    EXPECT_FALSE(k->Check_Autowert->isChecked());
}

TEST_F(Workbench, StatusLineYieldsAtMostOncePerSecond)
{
    QDateTime clock(QDate(2004, 3, 7), QTime(10, 0, 0));
    rt::setClock([&] { return clock; });
    int delivered = 0;
    QObject receiver;
    auto post = [&] { QMetaObject::invokeMethod(&receiver, [&] { ++delivered; }, Qt::QueuedConnection); };
    post();
    w->setStatus("eins");
    EXPECT_EQ(delivered, 1);
    post();
    w->setStatus("zwei");  // same second: no yield
    EXPECT_EQ(delivered, 1);
    clock = clock.addSecs(1);
    w->setStatus("drei");
    EXPECT_EQ(delivered, 2);
    EXPECT_EQ(w->Label1->text(), "drei");
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
    w->ZABPfad->setText(path);
    w->Command4->click();

    ASSERT_EQ(w->List2->count(), 3);
    EXPECT_EQ(w->List2->item(0)->text(), "AdressenStamm" + QString(27, ' ') + "\t[12]");
    EXPECT_EQ(w->List2->item(1)->text(), "Fehlt");
    EXPECT_EQ(w->List2->item(2)->text(), Konvertierung::Name_Auffuellen("Versteckt") + "[0]");
    EXPECT_FALSE(w->List2->item(0)->isSelected());
    EXPECT_TRUE(w->List2->item(1)->isSelected());
    EXPECT_FALSE(w->List2->item(2)->isSelected());
    EXPECT_EQ(conn2->executed, QStringList({"SELECT COUNT(*) FROM `Versteckt`", "SELECT COUNT(*) FROM `Fehlt`",
                                            "SELECT COUNT(*) FROM `AdressenStamm`"}));
    ASSERT_EQ(w->List1->count(), 4);
    EXPECT_EQ(w->List1->item(0)->text(), "Abfragen in Datenbank: 0");
    EXPECT_EQ(w->List1->item(1)->text(), "Beziehungen in Datenbank: 0");
    EXPECT_EQ(w->List1->item(2)->text(), "");
    EXPECT_EQ(w->List1->item(3)->text(), "SQL-Treiber: ZABSQL : recording 1.0");
    EXPECT_EQ(w->Label1->text(), "Bereit.   [12 Sätze in 2 Tabellen auf dem SQL-Server]");
    EXPECT_TRUE(w->Command2->isEnabled());
    EXPECT_TRUE(w->ZABPfad->isEnabled());
    EXPECT_TRUE(mw.workControlsEnabled);
    EXPECT_TRUE(w->markingLocked());
    EXPECT_FALSE(session().FehlerAufgetreten);

    // Changing the path empties the list until the next login.
    w->ZABPfad_Change();
    EXPECT_EQ(w->List2->count(), 0);
    EXPECT_FALSE(w->Command2->isEnabled());
    EXPECT_TRUE(w->Command4->isEnabled());
}

TEST_F(Workbench, LoginFailures)
{
    // An unopenable file: the message, "..." and "Anmelden" usable again; the log says why.
    const QString folder = testsupport::tempFolder();
    QFile text(folder + "/text.mdb");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("Kunden;Nr\r\n").repeated(400));
    text.close();
    mdbw::Database one;
    one.addTable("A").addField({"Nr", mdbw::type::Long});
    one.write(folder + "/kurz.mdb");
    QFile::resize(folder + "/kurz.mdb", 2 * 4096);
    const struct {
        QString path;
        QString reason;
    } unopenable[] = {
        {"/gibt/es/nicht.mdb", "Fehler: 3024\tDie Datei '/gibt/es/nicht.mdb' wurde nicht gefunden."},
        {folder + "/text.mdb", "Fehler: 3343\tNicht erkanntes Datenbankformat"},
        {folder + "/kurz.mdb", "Fehler: 3049\tDie Datenbank '" + folder + "/kurz.mdb' ist beschädigt"},
    };
    for (const auto& u : unopenable) {
        SCOPED_TRACE(u.path.toStdString());
        dialogs.shown.clear();
        w->ZABPfad->setText(u.path);
        w->MDB_Anmelden();
        EXPECT_EQ(dialogs.messages(), QStringList({"Access-Datenquelle '" + u.path + "' nicht gefunden!"}));
        EXPECT_TRUE(session().FehlerAufgetreten);
        EXPECT_EQ(w->Label1->text(), "Bereit.");
        EXPECT_TRUE(w->Command4->isEnabled());
        EXPECT_TRUE(w->Command3->isEnabled());
        EXPECT_FALSE(w->Command2->isEnabled());
        const QString logDir = rt::programFolder() + "/Log/" + rt::applicationName();
        QFile log(logDir + "/" + QDir(logDir).entryList({"ERROR_*.LOG"}).value(0));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(rt::fromCp1252(log.readAll()).contains(
            "Code: MDB_Anmelden\tLine: 0\r\nQuelle: DAO.Database\t" + u.reason));
    }

    // A server failure other than a missing table: the overload message, log entry, controls stay off.
    const QString path = QDir(testsupport::tempFolder()).filePath("two.mdb");
    mdbw::Database db;
    db.addTable("A").addField({"Nr", mdbw::type::Long});
    db.addTable("B").addField({"Nr", mdbw::type::Long});
    db.write(path);
    session().FehlerAufgetreten = false;
    dialogs.shown.clear();
    conn2->failWhen("COUNT", "08S01: connection lost");
    w->ZABPfad->setText(path);
    w->MDB_Anmelden();
    EXPECT_EQ(dialogs.messages(),
              QStringList({"08S01: connection lost\r\nDatenbankserver überlastet\r\nBitte starten sie das Programm neu"}));
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_FALSE(w->Command4->isEnabled());
    EXPECT_FALSE(mw.workControlsEnabled);
    EXPECT_EQ(w->Label1->text(), "suche Tabelle B auf SQL-Server");
    const QString logDir = rt::programFolder() + "/Log";
    QStringList logs;
    for (const QFileInfo& fi : QDir(logDir).entryInfoList(QDir::Files | QDir::NoDotAndDotDot) +
                                   QDir(logDir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        logs << fi.absoluteFilePath();
    EXPECT_FALSE(logs.isEmpty()) << "an entry in the error log file";
}

TEST_F(Workbench, IdentityListPrintsItsEntriesWithoutTheSummary)
{
    Form_Auto& f = SingleInstance<Form_Auto>::get();
    f.List_Auto->clear();
    f.List_Auto->addItems({"2 Tabellen", "Notizen", "Memo"});
    f.Command1->click();
    ASSERT_EQ(dialogs.printed.size(), 1);
    EXPECT_EQ(dialogs.printed[0], QStringList({"", "", "", "", "", "\tTabellen mit AutoWertIdentitäts-Feld:", "",
                                               "\tNotizen", "\tMemo"}));
    f.Command2->click();
    EXPECT_EQ(f.List_Auto->count(), 3);
}

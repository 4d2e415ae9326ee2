#include "workbench/Konvertierung.h"
#include "derived/DerivedObjects.h"
#include "diag/DialogService.h"
#include "diag/FehlerProtokoll.h"
#include "diag/Module1.h"
#include "diag/NamedControl.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "diag/SingleInstance.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "workbench/Form_Auto.h"
#include "workbench/MarkingList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QString kLockedCaption = QStringLiteral("Markieren nicht erlaubt");
const QString kUnlockedCaption = QStringLiteral("Markieren erlaubt");

QPixmap stopPixmap()
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(200, 0, 0));
    p.setPen(Qt::white);
    const QPointF octagon[] = {{7, 1}, {17, 1}, {23, 7}, {23, 17}, {17, 23}, {7, 23}, {1, 17}, {1, 7}};
    p.drawPolygon(octagon, 8);
    p.fillRect(QRectF(6, 10.5, 12, 3), Qt::white);
    return pm;
}

void setBackColor(QPushButton* b, const QColor& c)
{
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, c);
    b->setPalette(pal);
    b->setAutoFillBackground(true);
}

// Time of day in whole seconds, rounded: the unit of the status-line rule.
qint32 secondsOfDay() { return qint32(std::lround(double(rt::msecsOfDay()) / 1000.0)); }
}  // namespace

StopImage::StopImage(QWidget* parent) : QLabel(parent) { setPixmap(stopPixmap()); }

void StopImage::mousePressEvent(QMouseEvent* e)
{
    QLabel::mousePressEvent(e);
    emit clicked();
}

Konvertierung::Konvertierung()
{
    setObjectName(QStringLiteral("Konvertierung"));
    setWindowTitle(QStringLiteral("Konvertierung : Access zu SQL-Server"));
    createControls();
    layoutControls();
    connectHandlers();

    // Window load.
    if (!session().ParamMDBPfad.isEmpty())
        ZABPfad->setText(session().ParamMDBPfad);
    setMarkingLocked(true);
}

void Konvertierung::createControls()
{
    auto* markingList = namedControl<MarkingList>(this, "List2");
    markingList->locked = [this] { return markingLocked(); };
    markingList->refused = [] {
        if (!session().AutoLauf && !session().OhneFehlermeldung)
            dialogs().message(QStringLiteral("Funktion ist nicht freigeschalten"));
    };
    List2 = markingList;
    List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List2->setSortingEnabled(false);
    Label2 = namedControl<QLabel>(this, "Label2", QStringLiteral("Tabellenname :"));
    Command9 = namedControl<QPushButton>(this, "Command9", kLockedCaption);
    List1 = namedControl<QListWidget>(this, "List1");
    Label1 = namedControl<QLabel>(this, "Label1", QStringLiteral("Bereit."));
    // Written for every row: plain text spares a rich-text guess, and a fixed accessible name
    // spares announcing each new text as a name change.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAccessibleName(QStringLiteral("Statuszeile"));
    ZABPfad = namedControl<QLineEdit>(this, "ZABPfad");
    Label4 = namedControl<QLabel>(this, "Label4", QStringLiteral("Access :"));
    Command3 = namedControl<QPushButton>(this, "Command3", QStringLiteral("..."));
    Command3->setToolTip(QStringLiteral("MDB öffnen"));
    Command4 = namedControl<QPushButton>(this, "Command4", QStringLiteral("Anmelden"));
    setBackColor(Command4, QColor(255, 192, 192));
    Text1 = namedControl<QLineEdit>(this, "Text1", QStringLiteral("AdressenStamm"));
    Text1->hide();
    Command1 = namedControl<QPushButton>(this, "Command1", QStringLiteral("Tabelle nach SQL konvertieren"));
    Command1->setEnabled(false);
    Command1->hide();
    List3 = namedControl<QListWidget>(this, "List3");
    List3->hide();
    Image1 = namedControl<StopImage>(this, "Image1");
    Image1->setToolTip(QStringLiteral("Abbrechen"));
    Image1->hide();

    Command2 = namedControl<QPushButton>(this, "Command2", QStringLiteral("Markierte Tabellen konvertieren"));
    QFont bold = Command2->font();
    bold.setBold(true);
    Command2->setFont(bold);
    Command5 = namedControl<QPushButton>(this, "Command5", QStringLiteral("Abfragen -> Sichten"));
    Command6 = namedControl<QPushButton>(this, "Command6", QStringLiteral("Beziehungen -> Trigger"));
    Command7 = namedControl<QPushButton>(this, "Command7", QStringLiteral("Komplette Übernahme"));
    Command8 = namedControl<QPushButton>(this, "Command8", QStringLiteral("Fehler- Protokoll"));
    for (QPushButton* b : {Command2, Command5, Command6, Command7})
        b->setEnabled(false);

    Check_Autowert = namedControl<QCheckBox>(
        this, "Check_Autowert", QStringLiteral("Autowertidentität bei fehlendem Primärschlüssel automatisch anlegen."));
    Check_DefaultBlank = namedControl<QCheckBox>(this, "Check_DefaultBlank", QStringLiteral("Default \" \" für Alpha"));
    Check_Default0 = namedControl<QCheckBox>(this, "Check_Default0", QStringLiteral("Default \"0\" für Zahlen"));
    Check_NoData =
        namedControl<QCheckBox>(this, "Check_NoData", QStringLiteral("Nur Struktur anlegen (keine Daten kopieren)"));
    Check_Message =
        namedControl<QCheckBox>(this, "Check_Message", QStringLiteral("Fehlermeldungen anzeigen = Unterbrechung"));
    Check_Schnell =
        namedControl<QCheckBox>(this, "Check_Schnell", QStringLiteral("Schnelle Übertragung (Transaktionen)"));
    Text_Mod = namedControl<QLineEdit>(this, "Text_Mod", QStringLiteral("1"));
    Label_Mod = namedControl<QLabel>(this, "Label_Mod", QStringLiteral("PC :"));
    Text_Max = namedControl<QLineEdit>(this, "Text_Max", QStringLiteral("1"));
    Label_Max = namedControl<QLabel>(this, "Label_Max", QStringLiteral("von :"));
    for (QLineEdit* t : {Text_Mod, Text_Max})
        t->setMaximumWidth(50);
}

void Konvertierung::layoutControls()
{
    // Left: the table list under its heading and the lock; right: status line and information.
    auto* grid = new QGridLayout(this);
    auto* head = new QHBoxLayout;
    head->addWidget(Label2);
    head->addStretch();
    head->addWidget(Command9);
    grid->addLayout(head, 0, 0);
    auto* status = new QHBoxLayout;
    status->addWidget(Label1, 1);
    status->addWidget(Image1);
    grid->addLayout(status, 0, 1);
    grid->addWidget(List2, 1, 0);
    grid->addWidget(List1, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 2);
    auto* options = new QVBoxLayout;
    for (QCheckBox* c :
         {Check_Autowert, Check_DefaultBlank, Check_Default0, Check_NoData, Check_Message, Check_Schnell})
        options->addWidget(c);
    grid->addLayout(options, 2, 0, 1, 2);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(Label4);
    pathRow->addWidget(ZABPfad, 1);
    pathRow->addWidget(Command3);
    pathRow->addWidget(Command4);
    pathRow->addSpacing(20);
    pathRow->addWidget(Label_Mod);
    pathRow->addWidget(Text_Mod);
    pathRow->addWidget(Label_Max);
    pathRow->addWidget(Text_Max);
    grid->addLayout(pathRow, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Command2, Command7, Command5, Command6, Command8})
        buttons->addWidget(b);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->addWidget(Text1, 5, 0);
    grid->addWidget(Command1, 5, 1);
    grid->addWidget(List3, 6, 0);
}

void Konvertierung::connectHandlers()
{
    connect(Command2, &QPushButton::clicked, this, &Konvertierung::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Konvertierung::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Konvertierung::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Konvertierung::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Konvertierung::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Konvertierung::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Konvertierung::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Konvertierung::Command9_Click);
    connect(Image1, &StopImage::clicked, this, &Konvertierung::Image1_Click);
    connect(List2, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { List2_Click(); });
    connect(ZABPfad, &QLineEdit::textChanged, this, [this](const QString&) { ZABPfad_Change(); });
}

Konvertierung::~Konvertierung() = default;

// ---------------------------------------------------------------------------------------------
// Shared window routines

void Konvertierung::Schalter_Freigeben(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Command1, Command2, Command3, Command4, Command5, Command6,
                                                      Command7, Text_Max, Text_Mod, ZABPfad})
        w->setEnabled(enabled);
    if (session().mainWindow)
        session().mainWindow->setWorkControlsEnabled(enabled);
}

void Konvertierung::List3AddUnique(const QString& Item)
{
    bool present = false;
    for (int i = 0; i < List3->count(); ++i)
        if (List3->item(i)->text().compare(Item, Qt::CaseInsensitive) == 0)
            present = true;
    if (!present)
        List3->addItem(Item);
}

void Konvertierung::setStatus(const QString& text)
{
    if (Label1->text() == text)
        return;
    Label1->setText(text);
    // Yield at most once a second; in between the label is only marked for repainting (which
    // setText does).
    const qint32 now = secondsOfDay();
    if (now != LetzterTakt) {
        LetzterTakt = now;
        QCoreApplication::processEvents();
    }
}

void Konvertierung::processEvents() { QCoreApplication::processEvents(); }

void Konvertierung::setMarkingLocked(bool locked)
{
    Command9_BackColor = locked ? kRed : kGreen;
    Command9->setText(locked ? kLockedCaption : kUnlockedCaption);
    setBackColor(Command9, locked ? QColor(255, 0, 0) : QColor(0, 255, 0));
}

QString Konvertierung::lastActionText(const QTime& start) const
{
    const QTime end = rt::now().time();
    qint64 elapsed = start.secsTo(end);
    if (elapsed < 0)
        elapsed += 24 * 3600;  // past midnight
    return QStringLiteral("Bereit. letzte Aktion: ") + rt::timeText(start) + QStringLiteral(" - ") + rt::timeText(end) +
           QStringLiteral("  |  ") + rt::durationText(elapsed);
}

// ---------------------------------------------------------------------------------------------
// Stop and close

void Konvertierung::Image1_Click()
{
    Abbruch = true;
    TabellenFehler = true;
}

void Konvertierung::closeEvent(QCloseEvent* e)
{
    if (Beschaeftigt) {
        Abbruch = true;
        e->ignore();
        return;
    }
    e->accept();
}

bool Konvertierung::event(QEvent* e)
{
    // Inside the main window's MDI area the window becomes active with its sub-window, which
    // sends no activation event to the widget; outside it the window's own activation counts.
    if (e->type() == QEvent::ParentChange) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            connect(sub, &QMdiSubWindow::aboutToActivate, this, &Konvertierung::Form_Activate, Qt::UniqueConnection);
    } else if (e->type() == QEvent::WindowActivate) {
        auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
        if (!sub || !sub->mdiArea() || sub->mdiArea()->activeSubWindow() == sub)
            Form_Activate();
    }
    return QWidget::event(e);
}

void Konvertierung::Form_Activate()
{
    if (!session().mainWindow)
        return;
    if (!session().mainWindow->odbcName().contains(QLatin1String("ZAB"), Qt::CaseInsensitive))
        Check_Autowert->setChecked(false);
}

// ---------------------------------------------------------------------------------------------
// Batch conversion

void Konvertierung::Command1_SIK()
{
    engine::TableConversion conversion(*this, runner_, progress_, dialogs());
    lastOutcome_ = conversion.convert(Text1->text());
    if (lastOutcome_.keyFields) {
        List3->clear();
        for (const QString& k : *lastOutcome_.keyFields)
            List3AddUnique(k);
    }
}

QString Konvertierung::GetPrim(const QString& prim) { return engine::GetPrim(prim, runner_); }

void Konvertierung::Markierte_Tabellen_konvertieren()
{
    try {
        Schalter_Freigeben(false);
        SingleInstance<FehlerProtokoll>::get().Clear();
        const QTime start = rt::now().time();
        Form_Auto& autoList = SingleInstance<Form_Auto>::get();
        autoList.Clear();
        for (int i = 0; i < List2->count(); ++i) {
            QListWidgetItem* item = List2->item(i);
            if (!item->isSelected())
                continue;
            Text1->setText(tableNameOfItem(item->text()));
            TabellenFehler = false;
            Command1_SIK();
            recordTableReport(Text1->text());
            QString marker;
            if (!TabellenFehler) {
                setMarkedBySystem(i, false);
                marker = QStringLiteral("[migriert]");
            } else {
                marker = QStringLiteral("[!Fehler!]");
            }
            item->setText(Name_Auffuellen(Text1->text()) + marker);
        }
        autoList.insertCountLine();
        setStatus(lastActionText(start));
        setMarkingLocked(true);
        if (!session().AutoLauf)
            dialogs().message(QStringLiteral("Alle markierten Tabellen wurden konvertiert."));
        Schalter_Freigeben(true);
        autoList.show();
        if (session().mainWindow)
            session().mainWindow->bringToFront(&autoList);
    } catch (const rt::RuntimeError& e) {
        dialogs().message(e.description());
        Fehler_Protokollieren(e.source(), e.number(), e.description(), QStringLiteral("Konvertierung"),
                              QStringLiteral("Markierte_Tabellen_konvertieren"), QString(), QString());
    }
}

void Konvertierung::recordTableReport(const QString& table) const
{
    const engine::TableOutcome& o = lastOutcome_;
    TableReport& r = runReport().table(table);
    r.failed = TabellenFehler;  // also set by the stop image
    r.rowsRead = o.rowsRead;
    r.rowsSent = o.rowsSent;
    r.rowsRefused = o.rowsRefused;
    r.rowsNotSent = o.rowsNotSent;
    r.emptyRecords = o.emptyRecords;
    r.serverRows = o.serverRows;
    r.identityAdded = o.identityAdded;
    r.problems = o.problems;
}

void Konvertierung::Command2_Click() { Markierte_Tabellen_konvertieren(); }

void Konvertierung::Abfragen_nach_Sichten()
{
    const ViewsOutcome outcome = ::Abfragen_nach_Sichten(*this, runner_, progress_);
    runReport().viewsNotCreated += outcome.notCreated;
    if (outcome.failed)
        session().FehlerAufgetreten = true;
}

void Konvertierung::Beziehungen_nach_Trigger() { ::Beziehungen_nach_Trigger(*this, runner_, progress_); }

void Konvertierung::Command5_Click() { Abfragen_nach_Sichten(); }

void Konvertierung::Command6_Click() { Beziehungen_nach_Trigger(); }

void Konvertierung::Command7_Click()
{
    const QString title = QStringLiteral("Sicherheitsabfrage");
    if (!dialogs().askYesNo(QStringLiteral("Dieser Schalter darf nur im Zuge eine Neuanlage der Datenbank verwendet "
                                           "werden! Wollen Sie wirklich alle Tabellen der Access-Datenbank auf den "
                                           "SQL-Server pumpen ?"),
                            title))
        return;
    if (!dialogs().askYesNo(QStringLiteral("VORSICHT ! ALLE DATEN die sich im Moment auf dem SQL-Server befinden "
                                           "WERDEN GELÖSCHT. Wollen Sie trotzdem fortfahren ?"),
                            title))
        return;
    if (dialogs().askYesNo(QStringLiteral("LETZTE WARNUNG! Wollen Sie den Vorgang abbrechen ?"), title, true))
        return;
    const QTime start = rt::now().time();
    for (int i = List2->count() - 1; i >= 0; --i)
        setMarkedBySystem(i, true);
    Markierte_Tabellen_konvertieren();
    Abfragen_nach_Sichten();
    Beziehungen_nach_Trigger();
    setStatus(lastActionText(start));
}

void Konvertierung::Command8_Click()
{
    FehlerProtokoll& log = SingleInstance<FehlerProtokoll>::get();
    log.show();
    if (session().mainWindow)
        session().mainWindow->bringToFront(&log);
}

// ---------------------------------------------------------------------------------------------
// What the engine and the derived objects read and write

QString Konvertierung::textMod() const { return Text_Mod->text(); }
QString Konvertierung::textMax() const { return Text_Max->text(); }

void Konvertierung::clearList1() { List1->clear(); }
void Konvertierung::addToList1(const QString& line) { List1->addItem(line); }
void Konvertierung::scrollList1ToEnd() { List1->scrollToBottom(); }

TextOptions Konvertierung::textOptions() const
{
    TextOptions o = mainWindowTextOptions();
    o.default0 = Check_Default0->isChecked();
    o.defaultBlank = Check_DefaultBlank->isChecked();
    return o;
}

bool Konvertierung::autowertChecked() const { return Check_Autowert->isChecked(); }
bool Konvertierung::noDataChecked() const { return Check_NoData->isChecked(); }
bool Konvertierung::messageChecked() const { return Check_Message->isChecked(); }
bool Konvertierung::fastTransferChecked() const { return Check_Schnell->isChecked(); }
void Konvertierung::setFastTransfer(bool on) { Check_Schnell->setChecked(on); }
bool Konvertierung::yieldDue() const { return secondsOfDay() != LetzterTakt; }

void Konvertierung::showStopImage(bool visible) { Image1->setVisible(visible); }

void Konvertierung::errorLogAdd(const QString& line) { SingleInstance<FehlerProtokoll>::get().Add(line); }

void Konvertierung::showErrorLogBehind()
{
    if (!session().mainWindow)
        return;
    session().mainWindow->sendToBack(&SingleInstance<FehlerProtokoll>::get());
    session().mainWindow->bringToFront(this);
}

void Konvertierung::addIdentityTable(const QString& table)
{
    Form_Auto& f = SingleInstance<Form_Auto>::get();
    f.Add(table);
    if (session().mainWindow) {
        session().mainWindow->sendToBack(&f);
        session().mainWindow->bringToFront(this);
    }
}

#pragma once
#include "dataaccess/AccessDatabase.h"
#include "diag/Progress.h"
#include "diag/StatementRunner.h"
#include "engine/TableConversion.h"

#include <QLabel>
#include <QWidget>
#include <memory>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The stop image: a click asks the running conversion to stop.
class StopImage : public QLabel {
    Q_OBJECT
public:
    explicit StopImage(QWidget* parent);
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

// The conversion window "Konvertierung : Access zu SQL-Server".
class Konvertierung : public QWidget, public ConversionWindowContext {
    Q_OBJECT
public:
    Konvertierung();
    ~Konvertierung() override;

    // Operations.
    void MDB_Anmelden();
    void Markierte_Tabellen_konvertieren();
    void Command1_SIK();
    // The queries as views and the relationships as triggers, on the session's connection.
    void Abfragen_nach_Sichten();
    void Beziehungen_nach_Trigger();
    void Schalter_Freigeben(bool enabled) override;
    void List3AddUnique(const QString& Item);
    static QString Name_Auffuellen(const QString& name);
    // The table name of a table-list item: the text before "[" less the tab, trimmed.
    static QString tableNameOfItem(const QString& itemText);
    QString GetPrim(const QString& prim);

    // Event handlers.
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Image1_Click();
    void List2_Click();
    void ZABPfad_Change();
    void Form_Activate();

    // Marking lock (Command9's colour: 255 red = locked, 65280 green = unlocked).
    bool markingLocked() const { return Command9_BackColor == kRed; }
    void setMarkingLocked(bool locked);
    // A mark the system sets itself; the click rule does not apply.
    void setMarkedBySystem(int row, bool marked);
    // The Access database the conversions read (MDB_Anmelden opens the one ZABPfad names).
    void setDatabase(std::unique_ptr<accessdb::Database> db) { Datenbank = std::move(db); }
    // Checks "Schnelle Übertragung" (the command line's -schnell for a new window).
    void setFastTransfer(bool on);
    // Whether the last table conversion (Command1_SIK) failed.
    bool tableFailed() const { return TabellenFehler; }

    // The context of every conversion.
    accessdb::Database* database() override { return Datenbank.get(); }
    QString textMod() const override;
    void clearList1() override;
    void addToList1(const QString& line) override;
    void scrollList1ToEnd() override;
    void setStatus(const QString& text) override;
    void processEvents() override;
    TextOptions textOptions() const override;
    bool autowertChecked() const override;
    bool noDataChecked() const override;
    bool messageChecked() const override;
    bool fastTransferChecked() const override;
    bool yieldDue() const override;
    QString textMax() const override;
    void showStopImage(bool visible) override;
    bool abbruch() const override { return Abbruch; }
    void setAbbruch(bool on) override { Abbruch = on; }
    void setTabellenFehler(bool on) override { TabellenFehler = on; }
    void setBeschaeftigt(bool on) override { Beschaeftigt = on; }
    qint32& indexCounter() override { return Indexzaehler; }
    void errorLogAdd(const QString& line) override;
    void showErrorLogBehind() override;
    void addIdentityTable(const QString& table) override;

private:
    // Controls.
    QListWidget* List2;
    QLabel* Label2;
    QPushButton* Command9;
    QListWidget* List1;
    QLabel* Label1;
    QLineEdit* ZABPfad;
    QLabel* Label4;
    QPushButton* Command3;
    QPushButton* Command4;
    QLineEdit* Text1;
    QPushButton* Command1;
    QListWidget* List3;
    StopImage* Image1;
    QPushButton* Command2;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* Command8;
    QCheckBox* Check_Autowert;
    QCheckBox* Check_DefaultBlank;
    QCheckBox* Check_Default0;
    QCheckBox* Check_NoData;
    QCheckBox* Check_Message;
    QCheckBox* Check_Schnell;
    QLineEdit* Text_Mod;
    QLabel* Label_Mod;
    QLineEdit* Text_Max;
    QLabel* Label_Max;

    // Members.
    std::unique_ptr<accessdb::Database> Datenbank;
    bool Abbruch = false;
    bool TabellenFehler = false;
    bool Beschaeftigt = false;
    qint32 LetzterTakt = -1;
    qint32 Indexzaehler = 0;
    qint32 Command9_BackColor = kRed;

    static constexpr qint32 kRed = 255, kGreen = 65280;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

private:
    // Construction: the controls with their captions, their places, their handlers.
    void createControls();
    void layoutControls();
    void connectHandlers();
    // Opens the Access file of MDB_Anmelden; false (logged, told, buttons free again) when it
    // cannot be opened.
    bool openAccessFile(const QString& path);
    // What the table list found on the server: the tables there and their rows.
    struct ServerTables {
        qint16 tables = 0;
        qint32 rows = 0;
    };
    // Marks the listed tables the server lacks and appends the server's row count to the others.
    ServerTables markTablesOnServer();
    // The numbers of the Access database and the SQL driver, in List1.
    void showDatabaseInfo();
    QString lastActionText(const QTime& start) const;
    // The engine's numbers for the table just converted, into the run's report.
    void recordTableReport(const QString& table) const;
    engine::TableOutcome lastOutcome_;  // of the last Command1_SIK
    // What the conversions send through and report their progress to (both hold no state).
    diag::SessionStatementRunner runner_;
    diag::MainWindowProgress progress_;
};

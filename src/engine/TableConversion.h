#pragma once
#include "dataaccess/AccessDatabase.h"
#include "engine/SqlText.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace rt {
class RuntimeError;
}

namespace engine {

// The conversion window as the engine sees it. Every option is read through it at the moment
// it is used, so a change during a run takes effect at the next statement.
class Host {
public:
    virtual ~Host() = default;
    virtual accessdb::Database* database() = 0;         // Datenbank; null before an Access login
    virtual QString tableName() const = 0;            // Text1
    virtual TextOptions textOptions() const = 0;      // server kind and the options of the texts
    virtual bool autowertChecked() const = 0;         // Check_Autowert
    virtual bool noDataChecked() const = 0;           // Check_NoData
    virtual bool messageChecked() const = 0;          // Check_Message
    virtual QString textMax() const = 0;              // Text_Max ("von :")
    virtual QString textMod() const = 0;              // Text_Mod ("PC :")
    virtual void clearList1() = 0;
    virtual void addToList1(const QString& line) = 0;
    virtual void clearList3() = 0;
    virtual void List3AddUnique(const QString& Item) = 0;
    virtual QStringList list3() const = 0;
    virtual void setStatus(const QString& text) = 0;  // Label1, with the once-per-second yield
    virtual void showStopImage(bool visible) = 0;     // Image1
    virtual void Schalter_Freigeben(bool enabled) = 0;
    virtual bool abbruch() const = 0;
    virtual void setAbbruch(bool on) = 0;
    virtual void setTabellenFehler(bool on) = 0;
    virtual void setBeschaeftigt(bool on) = 0;
    virtual qint32& indexCounter() = 0;               // lives as long as the window
    virtual void errorLogAdd(const QString& line) = 0;
    virtual void showErrorLogBehind() = 0;            // error log behind, conversion window in front
    virtual void addIdentityTable(const QString& table) = 0;  // Form_Auto's list, sent behind
};

// A key-constraint name not yet used on the server (MS SQL): prim, or prim with 32 hex digits.
QString GetPrim(const QString& prim);

// Converts the Access table named in Text1: structure, indexes and rows.
class TableConversion {
public:
    explicit TableConversion(Host& host) : host_(host) {}

    void Command1_SIK();

    // How many records of the last data phase had no column to write.
    qint64 emptyRecords() const { return emptyRecords_; }

private:
    struct Shares {
        int max = 1, mod = 1;
    };
    // Runs one statement of the run; a failure goes to the failure handling. True: go on.
    // A template, so the per-row steps of the copy cost no allocation.
    template <class Statement>
    bool step(Statement&& statement);
    bool handleFailure(const rt::RuntimeError& e);
    void ignoringErrors(const std::function<void()>& statement);
    Shares readShares() const;
    bool structurePhase(const QString& T);
    void indexPhase(const QString& T);
    void dataPhase(const QString& T);
    void findSpecialColumns(const QString& T);
    void addLine(const QString& line);
    void run(QString sql);
    void endRun();

    Host& host_;
    std::unique_ptr<accessdb::Recordset> recordset_;
    bool tableCreated_ = false;
    bool positionsKnown_ = false;
    Shares shares_;
    QStringList lines_;
    // Special time columns (positions from 0; -1 none) and the record's date column.
    QList<int> timeColumns_;
    int dateColumn_ = -1;
    qint64 emptyRecords_ = 0;
};

}  // namespace engine

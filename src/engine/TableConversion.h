#pragma once
#include "dataaccess/AccessDatabase.h"
#include "diag/ConversionWindowContext.h"
#include "diag/Guard.h"
#include "engine/RowTransaction.h"
#include "engine/SqlText.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace rt {
class RuntimeError;
}

namespace engine {

// The conversion window as the engine sees it. Every option is read through it at the moment
// it is used, so a change during a run takes effect at the next statement.
class Host : public ConversionWindowContext {
public:
    virtual QString tableName() const = 0;            // Text1
    virtual bool autowertChecked() const = 0;         // Check_Autowert
    virtual bool noDataChecked() const = 0;           // Check_NoData
    virtual bool messageChecked() const = 0;          // Check_Message
    virtual bool fastTransferChecked() const { return false; }  // Check_Schnell
    // Whether the next change of the status line lets the event loop run (at most once a second).
    virtual bool yieldDue() const { return false; }
    virtual QString textMax() const = 0;              // Text_Max ("von :")
    virtual void clearList3() = 0;
    virtual void List3AddUnique(const QString& Item) = 0;
    virtual QStringList list3() const = 0;
    virtual void showStopImage(bool visible) = 0;     // Image1
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

// Whether a failure says the connection to the server is gone (SQLSTATE class 08, or the general
// state with MariaDB's "server has gone away" / "Lost connection"): every further statement fails.
bool isConnectionLost(const rt::RuntimeError& e);

// What one table's conversion did, in numbers, for the table list and the run's report.
struct TableOutcome {
    bool failed = false;         // the engine set TabellenFehler
    qint64 rowsRead = 0;         // records read from the Access table
    qint64 rowsSent = 0;         // INSERTs the server accepted
    qint64 rowsRefused = 0;      // INSERTs the server refused
    qint64 rowsNotSent = 0;      // this machine's records never sent: stop, lost connection, unreadable record
    qint64 emptyRecords = 0;     // records without a column to write
    qint64 serverRows = -1;      // the server's row count after the copy; -1 when not counted
    bool identityAdded = false;
    bool connectionLost = false;
    QStringList problems;        // short German reasons, each once
};

// Converts the Access table named in Text1: structure, indexes and rows.
class TableConversion {
public:
    explicit TableConversion(Host& host) : host_(host) {}

    void Command1_SIK();

    // What the last run did.
    const TableOutcome& outcome() const { return outcome_; }

private:
    struct Shares {
        int max = 1, mod = 1;
    };
    // Runs one statement of the run; a failure goes to the failure handling. True: go on.
    // A template, so the per-row steps of the copy cost no allocation.
    template <class Statement>
    bool step(Statement&& statement);
    diag::AfterFailure handleFailure(const rt::RuntimeError& e);
    // Logs one line, shows the message box when wanted and marks the table failed.
    void reportFailure(const rt::RuntimeError& e, const QString& logLine, const QString& problem);
    void addProblem(const QString& problem);
    // This machine's share of the records from..to (counted from 1).
    qint64 shareOf(qint64 from, qint64 to) const;
    void verifyServerRows(const QString& T);
    Shares readShares() const;
    bool checkFieldTypes();
    bool structurePhase(const QString& T);
    void indexPhase(const QString& T);
    // False when there was nothing to copy.
    bool dataPhase(const QString& T);
    // Fast transfer: the copy's transaction, or none when the option is off or the connection
    // cannot switch autocommit off.
    std::unique_ptr<RowTransaction> beginTransaction(const QString& T);
    // Commits the rows waiting in the copy's transaction. False when the copy has to end (the
    // connection is gone); nextRecord is the first record not yet handled.
    bool commitRows(const QString& T, qint64 nextRecord);
    // The server rolled the copy's transaction back: the rows since the last commit (and `failed`,
    // the statement that met the rollback) are sent again one transaction each. False: copy ends.
    bool sendAgain(const QString& T, const rt::RuntimeError& e, qint64 nextRecord, const QString& failed = QString());
    void rowRefused(const rt::RuntimeError& e);
    // The connection is gone: this machine's records from nextRecord on, and the rows not yet
    // committed, count as not sent.
    void connectionLostDuringCopy(const QString& T, const rt::RuntimeError& e, qint64 nextRecord);
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
    TableOutcome outcome_;
    qint32 copyTotal_ = 0;
    std::unique_ptr<RowTransaction> tx_;
};

}  // namespace engine

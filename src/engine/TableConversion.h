#pragma once
#include "dataaccess/AccessDatabase.h"
#include "diag/ConversionWindowContext.h"
#include "diag/Guard.h"
#include "diag/Progress.h"
#include "diag/StatementRunner.h"
#include "engine/RowTransaction.h"
#include "engine/SqlText.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class DialogService;

namespace rt {
class RuntimeError;
}

namespace engine {

// A key-constraint name not yet used on the server (MS SQL): prim, or prim with 32 hex digits.
// prim as it is when the server cannot tell.
QString GetPrim(const QString& prim, diag::StatementRunner& runner);

// Whether a failure says the connection to the server is gone (SQLSTATE class 08, or the general
// state with MariaDB's "server has gone away" / "Lost connection"): every further statement fails.
bool isConnectionLost(const rt::RuntimeError& e);

// What one table's conversion did, in numbers, for the table list and the run's report.
struct TableOutcome {
    bool failed = false;      // the engine set TabellenFehler
    qint64 rowsRead = 0;      // records read from the Access table
    qint64 rowsSent = 0;      // INSERTs the server accepted
    qint64 rowsRefused = 0;   // INSERTs the server refused
    qint64 rowsNotSent = 0;   // this machine's records never sent: stop, lost connection, unreadable record
    qint64 emptyRecords = 0;  // records without a column to write
    qint64 serverRows = -1;   // the server's row count after the copy; -1 when not counted
    bool identityAdded = false;
    bool connectionLost = false;
    QStringList problems;  // short German reasons, each once
    // The key fields the structure phase found (with an identity column that joins them): what
    // the window shows in List3. Unset when the run ended before it made the list.
    std::optional<QStringList> keyFields;
};

// Converts one Access table: structure, indexes and rows. The window gives the options and
// shows the lines and the status; statements go through the runner.
class TableConversion {
public:
    TableConversion(ConversionWindowContext& window, diag::StatementRunner& runner, diag::Progress& progress,
                    DialogService& dialogs)
        : host_(window), runner_(runner), progress_(progress), dialogs_(dialogs)
    {}

    TableOutcome convert(const QString& table);

private:
    struct Shares {
        int max = 1, mod = 1;
    };
    // Runs one statement of the run; a failure goes to the failure handling. True: go on.
    // A template, so the per-row steps of the copy cost no allocation.
    template <class Statement>
    bool step(Statement&& statement)
    {
        const auto handler = [this](const rt::RuntimeError& e) { return handleFailure(e); };
        return diag::guarded(handler, statement) != diag::Guarded::Ended;
    }
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
    // The identity column of a table without a key (and Oracle's sequence for it). False: the
    // sequence could not be created.
    bool addIdentityColumn(const QString& T, QStringList& keys, QString& sequenceName);
    void indexPhase(const QString& T);
    // False when there was nothing to copy.
    bool dataPhase(const QString& T);
    // What one copy keeps from row to row.
    struct Copy;
    // The fields and the record count, progress started. False: nothing to copy, or the table
    // could not be read.
    bool startCopy(const QString& T, Copy& copy);
    void showRowStatus(Copy& copy, qint64 counter);
    // Writes record `counter` (the current one) as an INSERT and sends it. False: the copy ends.
    bool copyRecord(const QString& T, Copy& copy, qint64 counter);
    bool sendRow(const QString& T, const QString& sql, const TextOptions& o, qint64 counter);
    // A stop request: what was sent stays, the rest of this machine's records count as not sent.
    void stopCopy(const QString& T, qint64 counter);
    // A record that cannot be read ends the copy: the record set cannot be trusted past it.
    void recordUnreadable(const QString& T, qint64 record, const rt::RuntimeError& e);
    // The last commit, autocommit on again, and the count of refused rows not logged one by one.
    void endCopy(const QString& T);
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
    // Sends one statement; the options say how (read now, or those the row was written with).
    void run(QString sql);
    void run(QString sql, const TextOptions& o);
    void endRun();

    ConversionWindowContext& host_;
    diag::StatementRunner& runner_;
    diag::Progress& progress_;
    DialogService& dialogs_;
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

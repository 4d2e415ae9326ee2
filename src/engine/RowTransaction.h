#pragma once
#include "dataaccess/SqlConnection.h"

#include <QStringList>

namespace rt {
class RuntimeError;
}

namespace engine {

// Whether a failure says the server rolled back the whole open transaction (SQLSTATE class 40:
// serialization failure, deadlock), not only the one statement.
bool isTransactionRolledBack(const rt::RuntimeError& e);

// The fast transfer of one table's rows: autocommit off for the copy, a commit every
// kRowsPerCommit rows and at least once a second. The statements since the last commit are kept,
// so they can be sent again when the server rolls the transaction back. Autocommit is on again
// when the object ends, however the copy ended.
class RowTransaction {
public:
    static constexpr qint64 kRowsPerCommit = 1000;
    static constexpr qint64 kMsecsPerCommit = 1000;

    // Switches autocommit off; raises when the connection cannot.
    explicit RowTransaction(sql::Connection& connection);
    // Unless finish() ran: rolls back what was not committed (its rows were never counted as
    // sent) and switches autocommit on again; failures are ignored here.
    ~RowTransaction();
    RowTransaction(const RowTransaction&) = delete;
    RowTransaction& operator=(const RowTransaction&) = delete;

    // False once the copy went back to one transaction per statement.
    bool active() const { return active_; }
    // A statement the server accepted inside the open transaction.
    void accepted(const QString& statement) { pending_ << statement; }
    qint64 pending() const { return pending_.size(); }
    // Whether to commit now: enough rows waiting, a second gone, or a yield to the event loop coming.
    bool due(bool yieldComing) const;
    // Commits and returns the number of rows that became permanent. Raises the driver's failure;
    // the rows then stay pending.
    qint64 commit();
    // After the server rolled the transaction back: rollback (errors ignored), autocommit on, and
    // the statements since the last commit to send again.
    QStringList fallBack();
    // The connection is gone: the rows since the last commit are lost. Returns their number.
    qint64 discard();
    // Autocommit on again at the normal end (after the last commit); raises when the driver refuses.
    void finish();

private:
    sql::Connection& c_;
    bool active_ = true;
    QStringList pending_;
    qint64 lastCommit_ = 0;  // msecs of the day
};

}  // namespace engine

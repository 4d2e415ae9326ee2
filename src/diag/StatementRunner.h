#pragma once
#include "dataaccess/SqlConnection.h"
#include "diag/TextOptions.h"

#include <QString>
#include <memory>

namespace diag {

// Where a piece of logic sends its statements and queries on the SQL server.
class StatementRunner {
public:
    virtual ~StatementRunner() = default;
    // Runs one statement directly. Doubles backslashes where the options say so (written back
    // into sql); on Sybase a general failure ("S1000:") counts as done; raises every other one.
    virtual void execute(QString& sql, const TextOptions& o) = 0;
    // A read-only result set of a query run directly; cursorType sql::kStatic or kForwardOnly.
    virtual std::unique_ptr<sql::ResultSet> query(const QString& sql, int cursorType) = 0;
    // The connection itself, for a transaction over several statements; null when there is none.
    virtual sql::Connection* connection() = 0;
};

// The session's connection to the SQL server (Verbindung1), taken afresh at each call.
class SessionStatementRunner final : public StatementRunner {
public:
    void execute(QString& sql, const TextOptions& o) override;
    std::unique_ptr<sql::ResultSet> query(const QString& sql, int cursorType) override;
    sql::Connection* connection() override;
};

}  // namespace diag

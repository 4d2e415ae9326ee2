#pragma once
#include <sql.h>

#include <QString>

#include <functional>
#include <memory>

namespace odbc {

struct WatchEntry;

// Guards one driver call against a server that stops answering. While the object lives, a
// background thread watches the clock: when `seconds` pass, it calls SQLCancel on `statement`
// (unless it is null) from that thread; when a grace period more passes and the call still has
// not returned, it hands a German message to the hang handler (see sql::setStatementHangHandler).
// `keepAlive` holds the handles the late cancel still uses after the caller has moved on.
class StatementWatch {
public:
    StatementWatch(SQLHSTMT statement, int seconds, std::shared_ptr<void> keepAlive, QString what);
    ~StatementWatch();
    StatementWatch(const StatementWatch&) = delete;
    StatementWatch& operator=(const StatementWatch&) = delete;

    // True once the time-out has passed during the call.
    bool expired() const;

private:
    std::shared_ptr<WatchEntry> entry_;
};

// The grace period after the time-out before a call that still has not returned counts as hung.
int hangGraceSeconds(int timeoutSeconds);

void setHangHandler(std::function<void(const QString& message)> handler);

}  // namespace odbc

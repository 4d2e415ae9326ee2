#pragma once
#include "dataaccess/SqlConnection.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

namespace testsupport {

// A connection that records the statements it is given, for server kinds we cannot run here.
// Failures and query results are scripted per statement (exact text or a substring rule).
class RecordingConnection : public sql::Connection {
public:
    struct Failure {
        QString statementContains;  // empty: matches any statement
        int number = 40002;
        QString description;  // e.g. "S0002: no such table"
        int times = -1;       // how often it fires; -1 always
    };

    void setQueryTimeout(int seconds) override { timeout = seconds; }
    QString name() const override { return dsn; }
    QString versionText() override { return version; }
    QString dbmsName() override { return dbms; }
    void execute(const QString& statement, int options) override;
    std::unique_ptr<sql::ResultSet> openResultset(const QString& statement, int type, int lockType,
                                                  int options) override;
    // Recorded in `executed` as "SET AUTOCOMMIT ON|OFF", "COMMIT WORK" and "ROLLBACK WORK"; failures can be
    // scripted on those texts. Rows inserted with autocommit off count once committed.
    void setAutoCommit(bool on) override;
    void commit() override;
    void rollback() override;
    void refreshTables() override { ++tableRefreshes; }
    std::shared_ptr<sql::Table> table(const QString& name) override;

    // Scripting.
    void failWhen(const QString& statementContains, const QString& description, int number = 40002, int times = -1);
    // Result of a query whose text contains the key (first match wins); default 0.
    QList<QPair<QString, QVariant>> results;
    // The catalogue: table name -> column names; ALTER TABLE [T]  ADD [F] adds F to a known T.
    QHash<QString, QStringList> tables;

    QStringList executed;  // every statement given to execute or openResultset, in order
    QList<int> executeOptions;
    QString dsn = QStringLiteral("ZABSQL");
    QString version = QStringLiteral("recording 1.0");
    QString dbms;
    // Rows accepted per table (INSERTs that did not fail, emptied by DROP TABLE): the answer to
    // "SELECT COUNT(*) FROM T" when no scripted result matches.
    QHash<QString, qint64> rowsInserted;
    bool autoCommit = true;
    int timeout = 0;
    int tableRefreshes = 0;

private:
    void maybeFail(const QString& statement);
    void record(const QString& statement);
    void keepPending();
    QList<Failure> failures_;
    QHash<QString, qint64> rowsPending_;
};

}  // namespace testsupport

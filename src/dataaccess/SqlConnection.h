#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// The SQL connection operations the system relies on. Every failure raises rt::RuntimeError;
// failures reported by a driver have number 40002 and the description "<SQLSTATE>: <message>".
namespace sql {

inline constexpr int kExecDirect = 64;  // execute directly
inline constexpr int kForwardOnly = 0;  // result set types
inline constexpr int kStatic = 3;
inline constexpr int kReadOnly = 1;  // lock type
inline constexpr int kCursorDriverNone = 4;

class ResultSet {
public:
    virtual ~ResultSet() = default;
    virtual QVariant value(int column) = 0;  // of the current (first) row; null QVariant for SQL NULL
    virtual void close() = 0;
};

class Table {
public:
    virtual ~Table() = default;
    virtual QString name() const = 0;  // as the catalogue gives it
    virtual void refreshColumns() = 0;
    virtual QStringList columnNames() const = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual void setQueryTimeout(int seconds) = 0;
    virtual QString name() const = 0;   // the data source name as reported
    virtual QString versionText() = 0;  // driver and server version
    // The database system's own name ("SQLite", "MySQL", ...); read once per connection. Empty
    // when the connection cannot tell.
    virtual QString dbmsName() { return QString(); }
    // Runs a statement without reading rows; options 64 = execute directly, 0 = none.
    virtual void execute(const QString& statement, int options = kExecDirect) = 0;
    virtual std::unique_ptr<ResultSet> openResultset(const QString& statement, int type, int lockType, int options) = 0;
    // Transactions. With autocommit off the statements since the last commit or rollback form one
    // transaction; switching it on again commits what is open. A connection that cannot do
    // this raises (S1C00), so the caller keeps one transaction per statement.
    virtual void setAutoCommit(bool on);
    virtual void commit();
    virtual void rollback();
    // Table catalogue.
    virtual void refreshTables() = 0;
    virtual std::shared_ptr<Table> table(const QString& name) = 0;  // raises when missing
};

class Environment {
public:
    virtual ~Environment() = default;
    virtual void setUserName(const QString& user) = 0;
    virtual void setPassword(const QString& password) = 0;
    virtual void setCursorDriver(int driver) = 0;
    virtual std::shared_ptr<Connection> openConnection(const QString& dataSourceName) = 0;
};

class Engine {
public:
    virtual ~Engine() = default;
    // A refused name raises.
    virtual std::shared_ptr<Environment> createEnvironment(const QString& name, const QString& user,
                                                           const QString& password) = 0;
};

}  // namespace sql

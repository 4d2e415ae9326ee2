#include "OdbcEngine.h"

#include "OdbcConnection.h"
#include "StatementWatchdog.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>

// The engine and its environments: unique names, the ODBC version, the login for their connections.

namespace odbc {

namespace {

// Environment names of one engine; a name is free again when its environment is gone.
struct NameRegistry {
    QMutex mutex;
    QSet<QString> names;
};

class OdbcEnvironment : public sql::Environment {
public:
    OdbcEnvironment(std::shared_ptr<NameRegistry> registry, QString key, QString user, QString password)
        : registry_(std::move(registry)),
          key_(std::move(key)),
          user_(std::move(user)),
          password_(std::move(password)),
          env_(std::make_shared<EnvironmentHandle>())
    {
        env_->env = allocate(SQL_HANDLE_ENV, Handle(), "SQLAllocHandle(environment)");
        // ODBC 2 states (S0002, S1000, S0021) are the ones the callers test.
        check(SQLSetEnvAttr(env_->env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0),
              env_->env, "SQLSetEnvAttr(ODBC version)");
    }
    ~OdbcEnvironment() override
    {
        QMutexLocker lock(&registry_->mutex);
        registry_->names.remove(key_);
    }

    void setUserName(const QString& user) override { user_ = user; }
    void setPassword(const QString& password) override { password_ = password; }
    void setCursorDriver(int driver) override { cursorDriver_ = driver; }

    std::shared_ptr<sql::Connection> openConnection(const QString& dataSourceName) override
    {
        return odbc::openConnection(env_, dataSourceName, user_, password_, cursorDriver_);
    }

private:
    std::shared_ptr<NameRegistry> registry_;
    QString key_;
    QString user_;
    QString password_;
    int cursorDriver_ = 0;
    std::shared_ptr<EnvironmentHandle> env_;
};

class OdbcEngineImpl : public sql::Engine {
public:
    std::shared_ptr<sql::Environment> createEnvironment(const QString& name, const QString& user,
                                                        const QString& password) override
    {
        const QString key = name.toLower();
        {
            QMutexLocker lock(&registry_->mutex);
            if (registry_->names.contains(key))
                raiseOwn(QStringLiteral("S1000"), QStringLiteral("An environment named %1 already exists").arg(name));
            registry_->names.insert(key);
        }
        try {
            return std::make_shared<OdbcEnvironment>(registry_, key, user, password);
        } catch (...) {
            QMutexLocker lock(&registry_->mutex);
            registry_->names.remove(key);
            throw;
        }
    }

private:
    std::shared_ptr<NameRegistry> registry_ = std::make_shared<NameRegistry>();
};

}  // namespace
}  // namespace odbc

namespace sql {
std::unique_ptr<Engine> createOdbcEngine() { return std::make_unique<odbc::OdbcEngineImpl>(); }

void setStatementHangHandler(std::function<void(const QString&)> handler) { odbc::setHangHandler(std::move(handler)); }
}  // namespace sql

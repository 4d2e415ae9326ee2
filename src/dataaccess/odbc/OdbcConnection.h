#pragma once
#include "OdbcHandles.h"
#include "dataaccess/SqlConnection.h"

#include <QString>

#include <memory>

namespace odbc {

// The environment handle, shared by the environment object and every connection opened on it.
struct EnvironmentHandle {
    Handle env;
};

// Connects to a data source name or, for a text with "=", a complete connection string; empty
// user and password fall back to the data source's own. cursorDriver 1 asks for the driver
// manager's cursor library.
std::shared_ptr<sql::Connection> openConnection(std::shared_ptr<EnvironmentHandle> env, const QString& dataSourceName,
                                                const QString& user, const QString& password, int cursorDriver);

}  // namespace odbc

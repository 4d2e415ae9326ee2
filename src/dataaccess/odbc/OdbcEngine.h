#pragma once
#include "dataaccess/SqlConnection.h"

#include <QString>

#include <functional>
#include <memory>

namespace sql {

// The SQL connection operations over the unixODBC driver manager (wide-character API, ODBC 2
// states). One engine per program; environment names are unique within it.
//
// openConnection takes a data source name. A text containing "=" is taken as a complete ODBC
// connection string instead ("DSN=X;DATABASE=Y" or "DRIVER=...;..."), which lets tests open
// private databases; data source names cannot contain "=".
std::unique_ptr<Engine> createOdbcEngine();

// A statement that runs past its time-out is cancelled (or ended by the driver's read time-out)
// and fails with "S1T00: Zeitüberschreitung: ...". One that still has not returned a grace
// period later, or a login that hangs the same way, is handed to this handler with a German
// message; a program without a user ends there. Without a handler the call goes on waiting.
void setStatementHangHandler(std::function<void(const QString& message)> handler);

}  // namespace sql

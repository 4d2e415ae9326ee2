#pragma once
#include "dataaccess/SqlConnection.h"

#include <memory>

namespace sql {

// The SQL connection operations over the unixODBC driver manager (wide-character API, ODBC 2
// states). One engine per program; environment names are unique within it.
//
// openConnection takes a data source name. A text containing "=" is taken as a complete ODBC
// connection string instead ("DSN=X;DATABASE=Y" or "DRIVER=...;..."), which lets tests open
// private databases; data source names cannot contain "=".
std::unique_ptr<Engine> createOdbcEngine();

}  // namespace sql

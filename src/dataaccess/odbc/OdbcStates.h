#pragma once
#include <QString>

namespace odbc {

// The description of a driver failure: "<SQLSTATE>: <message>".
// Some drivers report standard conditions under the general state S1000/HY000 and only their
// message tells what happened (the SQLite driver: "no such table", "duplicate column name").
// Those are given the standard ODBC 2 state, so callers see the same text whatever the driver.
QString failureDescription(const QString& state, const QString& message);

// The state a general failure stands for according to its message; the state itself otherwise.
QString standardState(const QString& state, const QString& message);

}  // namespace odbc

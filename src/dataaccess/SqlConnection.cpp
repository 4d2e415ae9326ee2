#include "dataaccess/SqlConnection.h"
#include "runtime/RuntimeError.h"

namespace sql {
namespace {
[[noreturn]] void notCapable(const char* operation)
{
    throw rt::RuntimeError(
        rt::err::Odbc, QStringLiteral("ODBC"),
        QStringLiteral("S1C00: %1 is not supported by this connection").arg(QLatin1String(operation)));
}
}  // namespace

void Connection::setAutoCommit(bool) { notCapable("Switching autocommit"); }
void Connection::commit() { notCapable("Commit"); }
void Connection::rollback() { notCapable("Rollback"); }

}  // namespace sql

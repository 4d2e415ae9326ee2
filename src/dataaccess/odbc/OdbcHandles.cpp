#include "OdbcHandles.h"

#include "OdbcStates.h"
#include "runtime/RuntimeError.h"

#include <vector>

namespace odbc {

namespace {
const QString kSource = QStringLiteral("ODBC");
}  // namespace

void raiseOwn(const QString& state, const QString& message)
{
    throw rt::RuntimeError(rt::err::Odbc, kSource, failureDescription(state, message));
}

Diagnostic firstDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle)
{
    Diagnostic d;
    if (handle == SQL_NULL_HANDLE)
        return d;
    SQLWCHAR state[6] = {};
    SQLSMALLINT length = 0;
    std::vector<SQLWCHAR> text(1024);
    SQLRETURN rc =
        SQLGetDiagRecW(handleType, handle, 1, state, &d.nativeError, text.data(), SQLSMALLINT(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
        // The message was longer than the buffer: ask again with room for all of it.
        text.resize(size_t(length) + 1);
        rc = SQLGetDiagRecW(handleType, handle, 1, state, &d.nativeError, text.data(), SQLSMALLINT(text.size()),
                            &length);
    }
    if (!succeeded(rc))
        return d;
    d.state = fromWide(state, 5);
    qsizetype units = 0;
    while (units < qsizetype(text.size()) && units < length && text[size_t(units)] != 0)
        ++units;
    d.message = fromWide(text.data(), units).trimmed();
    return d;
}

void raiseFailure(SQLSMALLINT handleType, SQLHANDLE handle, const char* operation)
{
    const Diagnostic d = firstDiagnostic(handleType, handle);
    if (d.state.isEmpty())
        raiseOwn(QStringLiteral("S1000"),
                 QStringLiteral("%1 failed without a diagnostic record").arg(QLatin1String(operation)));
    raiseOwn(d.state, d.message);
}

Handle allocate(SQLSMALLINT type, const Handle& parent, const char* what)
{
    SQLHANDLE h = SQL_NULL_HANDLE;
    const SQLRETURN rc = SQLAllocHandle(type, parent ? parent.get() : SQL_NULL_HANDLE, &h);
    if (!succeeded(rc)) {
        if (parent)
            raiseFailure(parent.type(), parent.get(), what);
        raiseOwn(QStringLiteral("S1001"), QStringLiteral("%1 failed").arg(QLatin1String(what)));
    }
    return Handle(type, h);
}

}  // namespace odbc

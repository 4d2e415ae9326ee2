#pragma once
#include <QString>

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <utility>

namespace odbc {

// SQLWCHAR is 16 bits wide in unixODBC, the same units as QString.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC built with 4-byte SQLWCHAR");

inline const SQLWCHAR* wide(const QString& s) { return reinterpret_cast<const SQLWCHAR*>(s.utf16()); }
// The API takes non-const pointers for input texts.
inline SQLWCHAR* wideIn(const QString& s) { return const_cast<SQLWCHAR*>(wide(s)); }
inline QString fromWide(const SQLWCHAR* s, qsizetype units)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), units);
}

// One ODBC handle, freed when it goes.
class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& o) noexcept : type_(o.type_), handle_(std::exchange(o.handle_, nullptr)) {}
    Handle& operator=(Handle&& o) noexcept
    {
        if (this != &o) {
            reset();
            type_ = o.type_;
            handle_ = std::exchange(o.handle_, nullptr);
        }
        return *this;
    }

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

    void reset()
    {
        if (handle_ != SQL_NULL_HANDLE) {
            SQLFreeHandle(type_, handle_);
            handle_ = SQL_NULL_HANDLE;
        }
    }

private:
    SQLSMALLINT type_ = SQL_HANDLE_ENV;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The state and message of the first diagnostic record of a handle.
struct Diagnostic {
    QString state;
    QString message;
    SQLINTEGER nativeError = 0;
};
Diagnostic firstDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle);

inline bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// Raises RuntimeError 40002 "<state>: <message>" from the handle's first diagnostic record;
// `operation` names the call when the driver left no record.
[[noreturn]] void raiseFailure(SQLSMALLINT handleType, SQLHANDLE handle, const char* operation);

// RuntimeError 40002 with a description made by us (no driver record to read).
[[noreturn]] void raiseOwn(const QString& state, const QString& message);

inline void check(SQLRETURN rc, const Handle& h, const char* operation)
{
    if (!succeeded(rc))
        raiseFailure(h.type(), h.get(), operation);
}

// A new handle of `type` under `parent` (none for the environment); `what` names the call in the
// failure.
Handle allocate(SQLSMALLINT type, const Handle& parent, const char* what);

}  // namespace odbc

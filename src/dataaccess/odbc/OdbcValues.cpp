#include "OdbcValues.h"

#include <limits>
#include <vector>

namespace odbc {

namespace {

QVariant integerValue(qlonglong v)
{
    if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
        return QVariant(int(v));
    return QVariant(v);
}

// A fixed-size value of the column as C type `cType`; false for SQL NULL.
template <class T>
bool readFixed(const Handle& stmt, SQLUSMALLINT column, SQLSMALLINT cType, T& v)
{
    SQLLEN indicator = 0;
    check(SQLGetData(stmt.get(), column, cType, &v, sizeof(v), &indicator), stmt, "SQLGetData");
    return indicator != SQL_NULL_DATA;
}

}  // namespace

QString readText(const Handle& stmt, SQLUSMALLINT column, bool& null)
{
    QString result;
    null = false;
    std::vector<SQLWCHAR> buffer(2048);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_WCHAR, buffer.data(),
                                        SQLLEN(buffer.size() * sizeof(SQLWCHAR)), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, stmt, "SQLGetData");
        if (indicator == SQL_NULL_DATA) {
            null = true;
            return QString();
        }
        // The length is taken from the terminator alone: the MariaDB driver reports one unit
        // too few for each character that takes two bytes in UTF-8.
        const qsizetype limit = qsizetype(buffer.size()) - 1;
        qsizetype units = 0;
        while (units < limit && buffer[size_t(units)] != 0)
            ++units;
        result += fromWide(buffer.data(), units);
        // With a warning (01004, truncated) more may follow; the next call says SQL_NO_DATA if not.
        if (rc == SQL_SUCCESS)
            break;
    }
    return result;
}

QByteArray readBytes(const Handle& stmt, SQLUSMALLINT column, bool& null)
{
    QByteArray result;
    null = false;
    char buffer[8192];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_BINARY, buffer, sizeof(buffer), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, stmt, "SQLGetData");
        if (indicator == SQL_NULL_DATA) {
            null = true;
            return QByteArray();
        }
        qsizetype n = qsizetype(sizeof(buffer));
        if (indicator != SQL_NO_TOTAL && indicator < n)
            n = indicator;
        result.append(buffer, n);
        if (rc == SQL_SUCCESS)
            break;
    }
    return result;
}

QVariant readValue(const Handle& stmt, SQLUSMALLINT column)
{
    SQLSMALLINT type = SQL_UNKNOWN_TYPE, scale = 0, nullable = 0, nameLength = 0;
    SQLULEN size = 0;
    SQLWCHAR name[256];
    check(SQLDescribeColW(stmt.get(), column, name, 256, &nameLength, &type, &size, &scale, &nullable), stmt,
          "SQLDescribeCol");
    bool null = false;
    switch (type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: {
        SQLBIGINT v = 0;
        return readFixed(stmt, column, SQL_C_SBIGINT, v) ? integerValue(v) : QVariant();
    }
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        double v = 0;
        return readFixed(stmt, column, SQL_C_DOUBLE, v) ? QVariant(v) : QVariant();
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC: {
        // Read as text so that no digits are lost; whole numbers become integers.
        const QString text = readText(stmt, column, null).trimmed();
        if (null)
            return QVariant();
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return integerValue(whole);
        const double d = text.toDouble(&ok);
        return ok ? QVariant(d) : QVariant(text);
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: {
        const QByteArray bytes = readBytes(stmt, column, null);
        return null ? QVariant() : QVariant(bytes);
    }
    default: {
        const QString text = readText(stmt, column, null);
        return null ? QVariant() : QVariant(text);
    }
    }
}

}  // namespace odbc

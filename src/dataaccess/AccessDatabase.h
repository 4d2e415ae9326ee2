#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The Access database operations the system relies on (read only). Every failure raises
// rt::RuntimeError with a number above 1000 and a description a user can act on.
namespace accessdb {

// Field type codes.
namespace type {
inline constexpr int Boolean = 1, Byte = 2, Integer = 3, Long = 4, Currency = 5, Single = 6, Double = 7, DateTime = 8,
                     Binary = 9, Text = 10, LongBinary = 11, Memo = 12, Guid = 15,
                     Complex = 18,  // ACE attachment and multi-value columns: a long id
    Decimal = 20;                   // ACE files only; outside the codes the conversion knows

}

inline constexpr quint32 kSystemObjectBits = 0x80000002u;
inline constexpr qint32 kRelationUnique = 1, kRelationCascadeUpdate = 256, kRelationCascadeDelete = 4096;

struct Field {
    QString name;
    int type = 0;
    int size = 0;  // as Access reports it (Text: characters)
    bool required = false;
    QString defaultValue;  // the stored expression verbatim, empty when none
};

struct Index {
    QString name;
    bool primary = false;
    bool unique = false;
    QStringList fields;  // in index order
};

struct RelationField {
    QString name;         // in Relation::table (primary side)
    QString foreignName;  // in Relation::foreignTable
};

struct Relation {
    QString name;
    QString table;  // primary side
    QString foreignTable;
    qint32 attributes = 0;
    QList<RelationField> fields;
};

struct QueryDef {
    QString name;
    QString sql;  // Access SQL text as Access shows it
};

struct TableDef {
    QString name;
    quint32 attributes = 0;  // 0x80000002 system, 0x1 hidden, 0x40000000 linked Access, 0x20000000 linked ODBC
    bool linked = false;     // a linked table: listed, but its rows cannot be read here
    QList<Field> fields;
    QList<Index> indexes;  // foreign sides of relationships included, back-references left out
};

// The value of a field in the current record.
struct Value {
    bool isNull = true;
    // Numbers as numbers, formatted where they are written: Byte, Integer, Long (and Complex) in
    // integer, Currency there in ten-thousandths (exact); Single and Double in real (a Single
    // widened, so exactly as stored); Date/Time also there as the stored day number.
    qint64 integer = 0;
    double real = 0;
    // Text form: Yes/No "TRUE"/"FALSE"; dates "dd.mm.yyyy[ hh:nn:ss]" (the date alone at
    // midnight; none for a date outside the calendar); texts and memos whole; GUIDs
    // "{XXXXXXXX-XXXX-...}" with their 16 bytes; ACE decimals exact with a decimal point; Binary
    // and Long binary have no text, only bytes.
    QString text;
    // Dates: calendar parts and time of day.
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    QByteArray bytes;  // Binary, Long binary (and GUID) as stored
};

class Recordset {
public:
    virtual ~Recordset() = default;
    virtual long recordCount() const = 0;  // below 1 when empty
    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;
    virtual void moveNext() = 0;
    virtual bool eof() const = 0;
    virtual int fieldCount() const = 0;
    virtual const Field& field(int index) const = 0;  // 0-based
    virtual const Value& value(int index) const = 0;  // current record; raises when there is none
    virtual void close() = 0;
};

class Database {
public:
    virtual ~Database() = default;
    virtual void setQueryTimeout(int seconds) = 0;
    // Tables (system, hidden and linked ones included), relations and queries are ordered by name,
    // ignoring case and accents, as Access's own collections list them.
    virtual const QList<TableDef>& tableDefs() const = 0;
    virtual const TableDef& tableDef(const QString& name) const = 0;  // raises when missing
    virtual const QList<Relation>& relations() const = 0;
    virtual const QList<QueryDef>& queryDefs() const = 0;
    // Opens a record set on a table; raises for unknown or unreadable (linked) tables.
    virtual std::unique_ptr<Recordset> openRecordset(const QString& tableName) = 0;
};

// Receives the Access library's complaints that do not stop the reading, in German; without a
// sink they are dropped (never written to standard error).
using WarningSink = std::function<void(const QString& warning)>;

// Opens an Access (.mdb/.accdb) file for reading. A record set whose rows cannot all be read
// (a damaged page, a row outside its page, fewer rows than the table definition counts) raises
// 3049 from the move or read that meets the damage, naming the row; it never ends early as if
// all rows were read.
std::unique_ptr<Database> openDatabase(const QString& path, WarningSink warnings = {});

}  // namespace accessdb

#pragma once
// A writer of Jet 4 (.mdb) files for fixtures, benchmarks and the sample database. It writes
// what a reader needs to see: catalog, table definitions with columns, properties and index
// descriptions, data pages, long values, relationships and queries. It writes no index B-trees:
// every index points at one empty leaf page, so readers that scan tables see every row, while a
// reader that searches through an index finds nothing.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <deque>
#include <functional>
#include <stdexcept>

namespace mdbw {

// Field type codes as Access numbers them.
namespace type {
inline constexpr int Boolean = 1, Byte = 2, Integer = 3, Long = 4, Currency = 5, Single = 6, Double = 7, DateTime = 8,
                     Binary = 9, Text = 10, LongBinary = 11, Memo = 12, Guid = 15;
}

// Raised for descriptions that cannot be written (unknown field, value too long, ...).
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct Field {
    QString name;
    int type = type::Text;
    int size = 0;             // Text: characters (default 50); Binary: bytes (default 255); others fixed
    bool required = false;    // the Required property
    QString defaultValue;     // the DefaultValue property, stored verbatim; empty = none
    bool autoNumber = false;  // Long only
};

// A field description in one expression; descriptions list many.
inline Field field(const QString& name, int fieldType, int size = 0, bool required = false,
                   const QString& defaultValue = {})
{
    Field f;
    f.name = name;
    f.type = fieldType;
    f.size = size;
    f.required = required;
    f.defaultValue = defaultValue;
    return f;
}

struct Index {
    QString name;
    QStringList fields;  // in index order
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
    QList<bool> descending;  // per field; missing entries are ascending
};

// One row's values in field order. A null QVariant is NULL. Accepted values per type:
// Yes/No bool; whole numbers qint64/int; Currency a number or a decimal text ("12.3456");
// Single/Double double; Date/Time QDateTime, QDate, QTime, a text "yyyy-MM-dd[ hh:mm:ss]" or
// "hh:mm:ss", or a double (days since 1899-12-30); Binary/Long binary QByteArray; Text/Memo
// QString; GUID QUuid or "{xxxxxxxx-xxxx-...}".
using Row = QList<QVariant>;

// Rows made on the fly for large tables: fills row (already sized) for the 0-based row number.
using RowGenerator = std::function<void(qint64 rowNumber, Row& row)>;

inline constexpr quint32 kHidden = 0x8, kSystemAccess = 0x2, kSystemJet = 0x80000000u;

class Table {
public:
    explicit Table(QString name) : name_(std::move(name)) {}
    const QString& name() const { return name_; }

    Table& addField(const Field& field);
    Table& addIndex(const Index& index);
    Table& addRow(const Row& row);
    Table& generateRows(qint64 count, RowGenerator generator);
    Table& setFlags(quint32 flags)
    {
        flags_ = flags;
        return *this;
    }

    quint32 flags() const { return flags_; }
    const QList<Field>& fields() const { return fields_; }
    const QList<Index>& indexes() const { return indexes_; }
    const QList<Row>& rows() const { return rows_; }
    qint64 generatedCount() const { return generatedCount_; }
    const RowGenerator& generator() const { return generator_; }
    qint64 rowCount() const { return rows_.size() + generatedCount_; }
    int fieldIndex(const QString& name) const;  // -1 when missing (case-insensitive)

private:
    QString name_;
    quint32 flags_ = 0;
    QList<Field> fields_;
    QList<Index> indexes_;
    QList<Row> rows_;
    qint64 generatedCount_ = 0;
    RowGenerator generator_;
};

struct RelationField {
    QString name;         // in Relation::table (the primary side)
    QString foreignName;  // in Relation::foreignTable
};

inline constexpr qint32 kRelationUnique = 1, kRelationNotEnforced = 2, kRelationCascadeUpdate = 256,
                        kRelationCascadeDelete = 4096;

struct Relation {
    QString name;
    QString table;  // primary side
    QString foreignTable;
    qint32 attributes = 0;  // MSysRelationships.grbit, written unchanged
    QList<RelationField> fields;
};

// One MSysQueries row. Order is written as 4 bytes big-endian; a null flag or lvExtra stays NULL.
struct QueryRow {
    int attribute = 0;
    int order = 0;
    QString name1, name2, expression;
    QVariant flag;
    QByteArray lvExtra;
};

// Query types (attribute 1's Flag).
namespace querytype {
inline constexpr int Select = 1, MakeTable = 2, Append = 3, Update = 4, Delete = 5, Crosstab = 6, Ddl = 7,
                     PassThrough = 8, Union = 9;
}

struct QueryDef {
    QString name;
    QList<QueryRow> rows;
    quint32 flags = 0;  // MSysObjects.Flags (the type bits 0xF0 follow the query type)
};

// The parts of a SELECT, turned into MSysQueries rows by selectQueryRows().
struct SelectParts {
    struct Column {
        QString expression;
        QString alias;
    };
    struct TableRef {
        QString name;
        QString alias;
    };
    struct Join {
        QString left, right, on;
        int kind = 1;
    };  // 1 INNER, 2 LEFT, 3 RIGHT
    struct OrderKey {
        QString expression;
        bool descending = false;
    };
    struct Parameter {
        QString name;
        int typeCode = 10;
    };
    QList<Parameter> parameters;
    bool allFields = false;  // SELECT *
    bool distinct = false;
    bool distinctRow = false;
    int top = 0;  // 0 = no TOP
    bool topPercent = false;
    QList<Column> columns;
    QList<TableRef> tables;
    QList<Join> joins;
    QString where;
    QStringList groupBy;
    QString having;
    QList<OrderKey> orderBy;
};

QList<QueryRow> selectQueryRows(const SelectParts& parts);

class Database {
public:
    Table& addTable(const QString& name);
    Table& table(const QString& name);  // raises when missing
    Database& addRelation(const Relation& relation);
    Database& addQuery(const QString& name, const QList<QueryRow>& rows, quint32 flags = 0);
    Database& addSelectQuery(const QString& name, const SelectParts& parts);
    // Creation and update date of every object (the output is the same for the same input).
    void setTimestamp(const QDateTime& when) { timestamp_ = when; }

    const std::deque<Table>& tables() const { return tables_; }
    const QList<Relation>& relations() const { return relations_; }
    const QList<QueryDef>& queries() const { return queries_; }
    const QDateTime& timestamp() const { return timestamp_; }

    // Writes the file (replacing it). Raises Error for descriptions that cannot be written.
    void write(const QString& path) const;

private:
    void writeTo(const QString& path) const;

    std::deque<Table> tables_;  // stable references for addTable()
    QList<Relation> relations_;
    QList<QueryDef> queries_;
    QDateTime timestamp_{QDate(2004, 3, 7), QTime(10, 0, 0)};
};

}  // namespace mdbw

#pragma once
#include "dataaccess/AccessDatabase.h"

#include <QHash>
#include <QList>

namespace testsupport {

// An Access database built in code: tables with fields, indexes and rows, relations and
// queries. Record sets behave as the real reader's do (count, move, EOF, values of the
// current record; a table without rows has the count 0).
class MemoryAccessDatabase : public access::Database {
public:
    using Row = QList<access::Value>;

    // Adds a table (fields and indexes as given) and returns its rows for filling.
    QList<Row>& addTable(const access::TableDef& def);
    QList<Row>& rows(const QString& table);
    void addRelation(const access::Relation& r) { relations_ << r; }
    void addQuery(const access::QueryDef& q) { queries_ << q; }

    void setQueryTimeout(int seconds) override { queryTimeout = seconds; }
    const QList<access::TableDef>& tableDefs() const override { return tables_; }
    const access::TableDef& tableDef(const QString& name) const override;
    const QList<access::Relation>& relations() const override { return relations_; }
    const QList<access::QueryDef>& queryDefs() const override { return queries_; }
    std::unique_ptr<access::Recordset> openRecordset(const QString& tableName) override;

    int queryTimeout = 0;
    int recordsetsOpened = 0;

private:
    QList<access::TableDef> tables_;
    QHash<QString, QList<Row>> rows_;  // by lower-case name
    QList<access::Relation> relations_;
    QList<access::QueryDef> queries_;
};

// Building blocks for fields and values.
access::Field field(const QString& name, int type, int size = 0, bool required = false,
                    const QString& defaultValue = QString());
access::Index index(const QString& name, const QStringList& fields, bool primary = false, bool unique = false);

namespace val {
access::Value null();
access::Value text(const QString& s);                 // Text, Memo, numbers in their text form
access::Value boolean(bool b);                        // "TRUE" / "FALSE"
access::Value date(int y, int m, int d, int h = 0, int n = 0, int s = 0);
access::Value bytes(const QByteArray& b);
}  // namespace val

}  // namespace testsupport

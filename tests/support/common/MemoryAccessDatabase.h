#pragma once
#include "dataaccess/AccessDatabase.h"

#include <QHash>
#include <QList>

namespace testsupport {

// An Access database built in code: tables with fields, indexes and rows, relations and
// queries. Record sets behave as the real reader's do (count, move, EOF, values of the
// current record; a table without rows has the count 0).
class MemoryAccessDatabase : public accessdb::Database {
public:
    using Row = QList<accessdb::Value>;

    // Adds a table (fields and indexes as given) and returns its rows for filling.
    QList<Row>& addTable(const accessdb::TableDef& def);
    QList<Row>& rows(const QString& table);
    void addRelation(const accessdb::Relation& r) { relations_ << r; }
    void addQuery(const accessdb::QueryDef& q) { queries_ << q; }
    // Record sets of the table raise AccessDamaged on reading a value of record `row` (from 1), as
    // the file reader does for an unreadable page.
    void failReadingAt(const QString& table, int row) { failingRow_[table.toLower()] = row; }

    void setQueryTimeout(int seconds) override { queryTimeout = seconds; }
    const QList<accessdb::TableDef>& tableDefs() const override { return tables_; }
    const accessdb::TableDef& tableDef(const QString& name) const override;
    const QList<accessdb::Relation>& relations() const override { return relations_; }
    const QList<accessdb::QueryDef>& queryDefs() const override { return queries_; }
    std::unique_ptr<accessdb::Recordset> openRecordset(const QString& tableName) override;

    int queryTimeout = 0;
    int recordsetsOpened = 0;

private:
    QList<accessdb::TableDef> tables_;
    QHash<QString, QList<Row>> rows_;  // by lower-case name
    QList<accessdb::Relation> relations_;
    QList<accessdb::QueryDef> queries_;
    QHash<QString, int> failingRow_;  // by lower-case name
};

// Building blocks for fields and values.
accessdb::Field field(const QString& name, int type, int size = 0, bool required = false,
                      const QString& defaultValue = QString());
accessdb::Index index(const QString& name, const QStringList& fields, bool primary = false, bool unique = false);

namespace val {
accessdb::Value null();
accessdb::Value text(const QString& s);  // Text, Memo
accessdb::Value integer(qint64 n);       // Byte, Integer, Long; Currency in ten-thousandths
accessdb::Value real(double d);          // Single, Double
accessdb::Value boolean(bool b);         // "TRUE" / "FALSE"
accessdb::Value date(int y, int m, int d, int h = 0, int n = 0, int s = 0);
accessdb::Value bytes(const QByteArray& b);
}  // namespace val

}  // namespace testsupport

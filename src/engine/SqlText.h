#pragma once
#include "dataaccess/AccessDatabase.h"
#include "dataaccess/ServerKind.h"
#include "diag/TextOptions.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The SQL text of a table's structure (columns, types, defaults, keys, indexes, Oracle's sequence
// and trigger), built by pure functions from the server kind, the option values of the moment and
// the Access table's definition. The per-row INSERT is in InsertText.h.
namespace engine {

using TextOptions = ::TextOptions;

// Oracle and DB2 cannot take this column name as it is; every statement renames it alike.
QString renameColumnForKind(const QString& text, const TextOptions& o);

// Column name in CREATE TABLE, without the separator.
QString columnNameText(const QString& fieldName, const QString& tableName, const TextOptions& o);
// Column name in CREATE INDEX and INSERT (renamed on Oracle and DB2).
QString indexFieldName(const QString& fieldName, const TextOptions& o);
QString insertColumnName(const QString& fieldName, const TextOptions& o);

// SQL type of an Access field. Types without an SQL counterpart (9, 13, 14, above 15) raise
// rt::err::TypeMismatch naming the field and its type code.
QString sqlType(const accessdb::Field& field, const TextOptions& o);

// The SQL text of a field's Access default; TZ puts text values in quotes. Empty when none.
QString SQLDefault(const accessdb::Field& Feld, bool TZ, const TextOptions& o);

QString defaultClause(const accessdb::Field& field, const TextOptions& o);
// List3 is the key-field list: a field named there is NOT NULL.
QString nullClause(const accessdb::Field& field, const TextOptions& o, const QStringList& List3);
QString columnLine(const QString& separator, const QString& nameText, const QString& type, const QString& defaultClause,
                   const QString& nullClause);

// Adds item unless an entry equal to it ignoring case is there.
void addUnique(QStringList& list, const QString& item);

// Key fields of table T: primary index (or one named PrimaryKey), the relations' fields on the
// primary side and the foreign fields of one-to-one relations, else the first unique index.
QStringList keyFields(const accessdb::TableDef& table, const QList<accessdb::Relation>& relations);

inline const QString kIdentityName = QStringLiteral("AutoWertIdentität");
QString identityColumnLine(const TextOptions& o);
// Sybase and MySQL list the identity column among the key fields.
bool identityJoinsKeyList(const TextOptions& o);

// Twelve digits: yyMMddhhmmss.
QString timeStamp12(const QDateTime& t);
QString oracleSequenceName(const QString& table, const QDateTime& t);
QString oracleTriggerName(const QString& table);
QStringList oracleTriggerDisplayLines(const QString& table);
QString oracleTriggerStatement(const QString& table, const QString& sequenceName);

// The constraint name before GetPrim ("prim" + first 26 / 14 characters of T).
QString keyConstraintBaseName(const QString& table, const TextOptions& o);
// "CONSTRAINT ... PRIMARY KEY(" with the name as given (on MS SQL quoted).
QString keyConstraintHead(const QString& constraintName, const TextOptions& o);
QString keyConstraint(const QString& constraintName, const QStringList& keyList, const TextOptions& o);

// Joins the lines of a statement as sent (the column rename applies on Oracle and DB2).
QString joinTableStatement(const QStringList& lines, const TextOptions& o);

// An index statement's lines. counter is raised for the kinds that number their indexes;
// now gives the Oracle time stamp.
QStringList indexStatementLines(const QString& table, const accessdb::Index& index, const TextOptions& o,
                                qint32& counter, const QDateTime& now);

// "SELECT COUNT(*) FROM T": the server's row count of a table (MySQL quotes the name).
QString rowCountStatement(const QString& table, const TextOptions& o);

}  // namespace engine

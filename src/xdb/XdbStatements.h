#pragma once
#include "dataaccess/ServerKind.h"

#include <QString>
#include <QStringList>
#include <optional>

// The SQL texts of the XDB reconciliation, built without a server.
namespace xdb {

// The SQL type for a field type code of the document; nullopt when the code has none
// (Binary 9, the codes 13 and 14, anything unknown).
std::optional<QString> columnType(int typeCode, int size, ServerKind kind, bool linuxChecked, bool sibling);

// A document default: one leading and one trailing double quote go; a default that is left empty
// becomes a quoted blank. An empty default stays empty.
QString documentDefault(const QString& value);

// "ALTER TABLE [t]  ADD [f] type[ DEFAULT d NULL]"; the same bracketed form for every kind.
QString addFieldStatement(const QString& table, const QString& field, const QString& type, const QString& defaultValue);

QString renameFieldStatement(const QString& table, const QString& oldName, const QString& newName);

QString renameTableLine(const QString& oldName, const QString& newName);

// The query that counts a matching index; empty on the kinds that never create document indexes.
QString indexExistsQuery(ServerKind kind, const QString& table, const QString& index);

// True on the kinds whose document indexes are taken as present without asking the server.
bool indexTakenAsPresent(ServerKind kind);

// The CREATE INDEX statement, or nullopt when nothing is sent (other kinds; MS SQL with bit 2).
std::optional<QString> createIndexStatement(ServerKind kind, const QString& table, const QString& index,
                                            qint32 attribute, const QStringList& fields);

// The field that is never added on Oracle and DB2.
inline const QString kNeverAddedOnOracleDb2 = QStringLiteral("Auftragsbestätigung_Französisch");

}  // namespace xdb

#pragma once
#include "diag/TextOptions.h"

#include <QString>
#include <QStringList>
#include <optional>

// The SQL texts of the XDB reconciliation, built without a server.
namespace xdb {

// A statement to send, or why the document's line is not applied (then nothing is sent). Both
// empty: nothing to do on this server kind.
struct Built {
    QString statement;
    QString refusal;
};

// A Text size the servers take: a whole number from 1 to 8000.
bool validTextSize(double size);

// A document default as SQL text: one leading and one trailing double quote go; Text, Memo and
// Date/Time defaults become quoted literals (a default left empty a quoted blank), number and
// Yes/No defaults must read as numbers. An empty default stays empty. nullopt: not usable.
std::optional<QString> documentDefault(const QString& value, int typeCode);

// The ALTER TABLE for a document field, or why it is not added.
Built addField(const QString& table, const QString& field, int typeCode, double size, const QString& defaultValue,
               const TextOptions& o);

// "ALTER TABLE [t]  ADD [f] type[ DEFAULT d NULL]"; the same bracketed form for every kind. The
// default is SQL text already (documentDefault).
QString addFieldStatement(const QString& table, const QString& field, const QString& type, const QString& defaultValue);

QString renameFieldStatement(const QString& table, const QString& oldName, const QString& newName);

QString renameTableLine(const QString& oldName, const QString& newName);

// The query that counts a matching index; empty on the kinds that never create document indexes.
QString indexExistsQuery(const TextOptions& o, const QString& table, const QString& index);

// True on the kinds whose document indexes are taken as present without asking the server.
bool indexTakenAsPresent(const TextOptions& o);

// The CREATE INDEX statement; nothing on the other kinds and on MS SQL with bit 2; refused on Sybase
// when the table or a field, which stand bare there, is not a plain name.
Built createIndexStatement(const TextOptions& o, const QString& table, const QString& index, qint32 attribute,
                           const QStringList& fields);

// The field that is never added on Oracle and DB2.
inline const QString kNeverAddedOnOracleDb2 = QStringLiteral("Auftragsbestätigung_Französisch");

}  // namespace xdb

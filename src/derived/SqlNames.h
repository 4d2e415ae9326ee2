#pragma once
#include <QString>

// Names and values from a document or an Access file, written for the exact place they stand in
// an SQL text, so that no character of theirs can end that place and start SQL of its own.
namespace sqlnames {

QString bracketed(const QString& name);     // [name], an inner "]" doubled
QString doubleQuoted(const QString& name);  // "name", an inner double quote doubled
QString inLiteral(const QString& text);     // the text with every single quote doubled, for inside '...'
QString literal(const QString& text);       // 'text', inner single quotes doubled

// True when the name can stand bare: letters (umlauts too), digits, "_", "$" and "#", nothing else.
bool isPlainIdentifier(const QString& name);

}  // namespace sqlnames

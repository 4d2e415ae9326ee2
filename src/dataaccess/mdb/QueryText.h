#pragma once
#include <QList>
#include <QString>

// Rebuilding a query's SQL text from its rows in MSysQueries, as Access shows it in SQL view.
namespace accessdb::mdb {

struct QueryRow {
    int attribute = 0;
    quint32 order = 0;  // the Order column's 4 bytes read big-endian
    int flag = 0;
    QString name1;
    QString name2;
    QString expression;
};

namespace query {
// Attribute codes of MSysQueries rows.
inline constexpr int Start = 0, Type = 1, Parameter = 2, SelectFlags = 3, RemoteDatabase = 4, Table = 5, Column = 6,
                     Join = 7, Where = 8, GroupBy = 9, Having = 10, OrderBy = 11, End = 255;
// Query kinds (the Flag of the Type row).
inline constexpr int Select = 1, MakeTable = 2, Append = 3, Update = 4, Delete = 5, Crosstab = 6, Ddl = 7,
                     PassThrough = 8, Union = 9;
}  // namespace query

// The SQL text of one query. objectFlags are the query's MSysObjects Flags, used for the kind
// when the rows carry no Type row (some ACE files).
QString queryText(QList<QueryRow> rows, quint32 objectFlags = 0);

// A name as Access writes it: bracketed when it holds anything but letters, digits and "_".
QString bracketName(const QString& name);

}  // namespace accessdb::mdb

#include "dataaccess/mdb/QueryText.h"

#include <algorithm>

namespace accessdb::mdb {

namespace {

const QString kNewLine = QStringLiteral("\r\n");

QList<QueryRow> rowsOf(const QList<QueryRow>& rows, int attribute)
{
    QList<QueryRow> out;
    for (const QueryRow& r : rows)
        if (r.attribute == attribute)
            out.append(r);
    return out;
}

const QueryRow* firstOf(const QList<QueryRow>& rows, int attribute)
{
    for (const QueryRow& r : rows)
        if (r.attribute == attribute)
            return &r;
    return nullptr;
}

QString joined(const QStringList& parts) { return parts.join(QStringLiteral(", ")); }

QString parameterType(int code)
{
    switch (code) {
    case 1: return QStringLiteral("Bit");
    case 2: return QStringLiteral("Byte");
    case 3: return QStringLiteral("Short");
    case 4: return QStringLiteral("Long");
    case 5: return QStringLiteral("Currency");
    case 6: return QStringLiteral("IEEESingle");
    case 7: return QStringLiteral("IEEEDouble");
    case 8: return QStringLiteral("DateTime");
    case 9: return QStringLiteral("Binary");
    case 10: return QStringLiteral("Text");
    case 11: return QStringLiteral("LongBinary");
    case 12: return QStringLiteral("Memo");
    case 15: return QStringLiteral("Guid");
    case 16: return QStringLiteral("BigInt");
    case 20: return QStringLiteral("Decimal");
    default: return QStringLiteral("Value");
    }
}

QString remoteDb(const QString& path, const QString& type)
{
    QString s;
    if (!path.isEmpty())
        s += QStringLiteral(" IN '%1'").arg(path);
    if (!type.isEmpty())
        s += QStringLiteral(" [%1]").arg(type);
    return s;
}

QString withAlias(const QString& expr, const QString& alias)
{
    return alias.isEmpty() ? expr : expr + QStringLiteral(" AS ") + bracketName(alias);
}

// The FROM list: tables in their order, joins merging the sources that hold their two sides.
QString fromList(const QList<QueryRow>& rows)
{
    struct Source {
        QString text;
        QStringList names;
        bool join = false;
    };
    QList<Source> sources;
    for (const QueryRow& t : rowsOf(rows, query::Table)) {
        Source s;
        s.text = withAlias(bracketName(t.name1), t.name2);
        s.names << (t.name2.isEmpty() ? t.name1 : t.name2);
        sources.append(s);
    }
    auto find = [&sources](const QString& name) {
        for (int i = 0; i < sources.size(); ++i)
            for (const QString& n : sources[i].names)
                if (n.compare(name, Qt::CaseInsensitive) == 0)
                    return i;
        return -1;
    };
    for (const QueryRow& j : rowsOf(rows, query::Join)) {
        const int l = find(j.name1), r = find(j.name2);
        if (l < 0 || r < 0 || l == r)
            continue;  // a join naming no table of this query cannot be placed
        const QString kind = j.flag == 2   ? QStringLiteral("LEFT")
                             : j.flag == 3 ? QStringLiteral("RIGHT")
                                           : QStringLiteral("INNER");
        auto side = [](const Source& s) {
            return s.join ? QStringLiteral("(") + s.text + QStringLiteral(")") : s.text;
        };
        Source merged;
        merged.text = side(sources[l]) + QLatin1Char(' ') + kind + QStringLiteral(" JOIN ") + side(sources[r]) +
                      QStringLiteral(" ON ") + j.expression;
        merged.names = sources[l].names + sources[r].names;
        merged.join = true;
        const int keep = std::min(l, r), drop = std::max(l, r);
        sources[keep] = merged;
        sources.removeAt(drop);
    }
    QStringList parts;
    for (const Source& s : sources)
        parts << s.text;
    return joined(parts);
}

QStringList columnTexts(const QList<QueryRow>& columns)
{
    QStringList out;
    for (const QueryRow& c : columns)
        out << withAlias(c.expression, c.name1);
    return out;
}

QStringList orderTexts(const QList<QueryRow>& rows)
{
    QStringList out;
    for (const QueryRow& o : rowsOf(rows, query::OrderBy))
        out << (o.name1.compare(QStringLiteral("D"), Qt::CaseInsensitive) == 0 ? o.expression + QStringLiteral(" DESC")
                                                                               : o.expression);
    return out;
}

// FROM, WHERE, GROUP BY, HAVING and ORDER BY, each on its own line.
QString tailClauses(const QList<QueryRow>& rows, bool withFrom, bool crosstab = false)
{
    QString s;
    if (withFrom) {
        const QString from = fromList(rows);
        if (!from.isEmpty()) {
            s += kNewLine + QStringLiteral("FROM ") + from;
            if (const QueryRow* remote = firstOf(rows, query::RemoteDatabase))
                s += remoteDb(remote->name1, remote->expression);
        }
    }
    if (const QueryRow* w = firstOf(rows, query::Where))
        s += kNewLine + QStringLiteral("WHERE ") + w->expression;
    QStringList groups;
    for (const QueryRow& g : rowsOf(rows, query::GroupBy))
        if (!(crosstab && g.flag == 1))  // a crosstab groups by its pivot too; Access does not show it
            groups << g.expression;
    if (!groups.isEmpty())
        s += kNewLine + QStringLiteral("GROUP BY ") + joined(groups);
    if (const QueryRow* h = firstOf(rows, query::Having))
        s += kNewLine + QStringLiteral("HAVING ") + h->expression;
    const QStringList order = orderTexts(rows);
    if (!order.isEmpty())
        s += kNewLine + QStringLiteral("ORDER BY ") + joined(order);
    return s;
}

QString selectPredicate(int flags, const QList<QueryRow>& rows)
{
    QString s;
    if (flags & 0x02)
        s += QStringLiteral("DISTINCT ");
    else if (flags & 0x08)
        s += QStringLiteral("DISTINCTROW ");
    if (flags & 0x10) {
        const QueryRow* f = firstOf(rows, query::SelectFlags);
        s += QStringLiteral("TOP ") + (f ? f->name1 : QString()) + QLatin1Char(' ');
        if (flags & 0x20)
            s += QStringLiteral("PERCENT ");
    }
    return s;
}

QString stripFinalSemicolon(QString s)
{
    while (s.endsWith(u'\n') || s.endsWith(u'\r') || s.endsWith(u' '))
        s.chop(1);
    if (s.endsWith(u';'))
        s.chop(1);
    return s;
}

}  // namespace

QString bracketName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'['))
        return name;
    for (QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_'))
            return QStringLiteral("[") + name + QStringLiteral("]");
    return name;
}

namespace {

// The kind of query: its Type row, or without one the object's flags.
int queryKind(const QueryRow* typeRow, quint32 objectFlags)
{
    if (typeRow)
        return typeRow->flag;
    switch (objectFlags & 0xF0) {
    case 0x10: return query::Crosstab;
    case 0x20: return query::Delete;
    case 0x30: return query::Update;
    case 0x40: return query::Append;
    case 0x50: return query::MakeTable;
    case 0x60: return query::Ddl;
    case 0x70: return query::PassThrough;
    case 0x80: return query::Union;
    default: return query::Select;
    }
}

// "PARAMETERS ...;" and a new line, or nothing for a query without parameters.
QString parametersClause(const QList<QueryRow>& rows)
{
    QStringList params;
    for (const QueryRow& p : rowsOf(rows, query::Parameter))
        params << bracketName(p.name1) + QLatin1Char(' ') + parameterType(p.flag);
    if (params.isEmpty())
        return QString();
    return QStringLiteral("PARAMETERS ") + joined(params) + QLatin1Char(';') + kNewLine;
}

// The statement of a query of `kind` (not DDL or pass-through), without the final semicolon.
QString queryBody(int kind, int flags, const QList<QueryRow>& rows, const QueryRow* typeRow)
{
    const QList<QueryRow> columns = rowsOf(rows, query::Column);
    QString body;
    switch (kind) {
    case query::Union: {
        const QList<QueryRow> parts = rowsOf(rows, query::Table);
        QStringList texts;
        for (const QueryRow& p : parts)
            texts << stripFinalSemicolon(p.expression);
        body = texts.join(kNewLine + ((flags & 0x02) ? QStringLiteral("UNION ") : QStringLiteral("UNION ALL ")));
        const QStringList order = orderTexts(rows);
        if (!order.isEmpty())
            body += kNewLine + QStringLiteral("ORDER BY ") + joined(order);
        break;
    }
    case query::Crosstab: {
        QList<QueryRow> value, pivot, heads;
        for (const QueryRow& c : columns)
            (c.flag == 1 ? pivot : c.flag == 2 ? heads : value).append(c);
        body = QStringLiteral("TRANSFORM ") + joined(columnTexts(value)) + kNewLine + QStringLiteral("SELECT ") +
               selectPredicate(flags, rows) + joined(columnTexts(heads)) + tailClauses(rows, true, true) + kNewLine +
               QStringLiteral("PIVOT ") + (pivot.isEmpty() ? QString() : pivot.first().expression);
        break;
    }
    case query::Update: {
        QStringList sets;
        for (const QueryRow& c : columns)
            sets << c.name2 + QStringLiteral(" = ") + c.expression;
        body = QStringLiteral("UPDATE ") + fromList(rows) + QStringLiteral(" SET ") + joined(sets);
        if (const QueryRow* w = firstOf(rows, query::Where))
            body += kNewLine + QStringLiteral("WHERE ") + w->expression;
        break;
    }
    case query::Delete:
        body = QStringLiteral("DELETE ") + selectPredicate(flags, rows) + joined(columnTexts(columns)) +
               tailClauses(rows, true);
        break;
    case query::Append: {
        QStringList targets, values;
        for (const QueryRow& c : columns) {
            targets << c.name2;
            values << withAlias(c.expression, c.name1);
        }
        body = QStringLiteral("INSERT INTO ") + bracketName(typeRow ? typeRow->name1 : QString()) +
               (typeRow ? remoteDb(typeRow->name2, typeRow->expression) : QString());
        if (!targets.isEmpty())
            body += QStringLiteral(" ( ") + joined(targets) + QStringLiteral(" )");
        body += kNewLine + QStringLiteral("SELECT ") + selectPredicate(flags, rows) + joined(values) +
                tailClauses(rows, true);
        break;
    }
    default: {  // select and make-table
        QStringList cols = columnTexts(columns);
        if (flags & 0x01)
            cols.prepend(QStringLiteral("*"));
        body = QStringLiteral("SELECT ") + selectPredicate(flags, rows) + joined(cols);
        if (kind == query::MakeTable && typeRow)
            body +=
                QStringLiteral(" INTO ") + bracketName(typeRow->name1) + remoteDb(typeRow->name2, typeRow->expression);
        body += tailClauses(rows, true);
        break;
    }
    }
    return body;
}

}  // namespace

QString queryText(QList<QueryRow> rows, quint32 objectFlags)
{
    std::stable_sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
        return a.attribute != b.attribute ? a.attribute < b.attribute : a.order < b.order;
    });
    const QueryRow* typeRow = firstOf(rows, query::Type);
    const int kind = queryKind(typeRow, objectFlags);
    if (rows.isEmpty())
        return QString();
    if (kind == query::Ddl || kind == query::PassThrough)
        return typeRow ? typeRow->expression : QString();

    const QueryRow* flagRow = firstOf(rows, query::SelectFlags);
    const int flags = flagRow ? flagRow->flag : 0;
    const QString head = parametersClause(rows);
    QString body = queryBody(kind, flags, rows, typeRow);
    if (flags & 0x04)
        body += kNewLine + QStringLiteral("WITH OWNERACCESS OPTION");
    return head + body + QLatin1Char(';');
}

}  // namespace accessdb::mdb

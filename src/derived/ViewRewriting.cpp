#include "derived/ViewRewriting.h"
#include "derived/SqlNames.h"
#include "runtime/Strings.h"

#include <QStringList>

namespace {

const QString kDistinctRow = QStringLiteral("DISTINCTROW");

// True when a function argument cut at the first separator is complete: parentheses outside
// string literals balance and no literal is left open. A cut inside a nested call or a literal
// would produce a statement that means something else, so such a text is not rewritten.
bool completeArgument(const QString& arg)
{
    int depth = 0;
    bool inLiteral = false;
    for (QChar ch : arg) {
        if (ch == u'\'') {
            inLiteral = !inLiteral;
        } else if (!inLiteral) {
            if (ch == u'(')
                ++depth;
            else if (ch == u')' && --depth < 0)
                return false;
        }
    }
    return depth == 0 && !inLiteral;
}

// The end of the Access literal that starts at `open` (a ' or a "), where a doubled quote stands
// for itself; -1 when the literal is not closed.
qsizetype literalEnd(const QString& text, qsizetype open)
{
    const QChar quote = text[open];
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        if (text[i] != quote)
            continue;
        if (i + 1 < text.size() && text[i + 1] == quote)
            ++i;
        else
            return i;
    }
    return -1;
}

// The first semicolon outside the query's literals; -1 when there is none.
qsizetype statementEnd(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u';')
            return i;
        if (text[i] == u'\'' || text[i] == u'"') {
            i = literalEnd(text, i);
            if (i < 0)
                return -1;
        }
    }
    return -1;
}

// Access writes texts in double or single quotes, SQL only in single ones. A double-quoted text
// becomes single-quoted with its single quotes doubled and its doubled double quotes single, so it
// keeps its text and cannot end early; a single-quoted text stays as it is.
QString singleQuotedLiterals(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const qsizetype end = ch == u'\'' || ch == u'"' ? literalEnd(text, i) : -1;
        if (end < 0) {
            out += ch == u'"' ? QChar(u'\'') : ch;  // an open quote is left as the rounds leave it
            continue;
        }
        if (ch == u'\'') {
            out += QStringView(text).mid(i, end - i + 1);
        } else {
            out += u'\'';
            for (qsizetype k = i + 1; k < end; ++k) {
                if (text[k] == u'"')
                    ++k;  // "" stands for one "
                out += text[k] == u'\'' ? QStringLiteral("''") : QString(text[k]);
            }
            out += u'\'';
        }
        i = end;
    }
    return out;
}

// Step 4: brackets go, double quotes become single quotes, DISTINCTROW goes, FIRST( becomes MIN(.
// Each kind of change is exhausted before the next starts, because each round makes the first
// applicable change from the start of the text.
QString accessDialectRounds(QString text)
{
    text.remove(QLatin1Char('['));
    text.remove(QLatin1Char(']'));
    text = singleQuotedLiterals(text);
    // Searched from the start every time: removing one can join the letters around it into another.
    for (qsizetype p; (p = text.indexOf(kDistinctRow, 0, Qt::CaseInsensitive)) >= 0;)
        text.remove(p, kDistinctRow.size());
    const QString first = QStringLiteral("FIRST(");
    for (qsizetype p; (p = text.indexOf(first, 0, Qt::CaseInsensitive)) >= 0;)
        text.replace(p, first.size(), QStringLiteral("MIN("));
    return text;
}

// The position of the ")" that closes a call whose arguments start at `from`, outside literals and
// inner parentheses; -1 when there is none.
qsizetype closingParenthesis(const QString& text, qsizetype from)
{
    int depth = 0;
    bool inLiteral = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == u'\'') {
            inLiteral = !inLiteral;
        } else if (!inLiteral) {
            if (ch == u'(')
                ++depth;
            else if (ch == u')' && depth-- == 0)
                return i;
        }
    }
    return -1;
}

// LEFT(x,n) -> SUBSTR(x,1,n); RIGHT(x,n) -> SUBSTR(x,LENGTH(x) + 1 - (n)). Returns the cause when
// the text cannot be rewritten.
// Rewrites every fn(x,... as SUBSTR(x, then what `rest` makes of x and the text from the comma;
// rest returns an empty text when it cannot.
template <class Rest>
QString rewriteFunction(QString& text, const QString& fn, Rest rest)
{
    for (qsizetype p = text.indexOf(fn, 0, Qt::CaseInsensitive); p >= 0; p = text.indexOf(fn, p, Qt::CaseInsensitive)) {
        const qsizetype c = text.indexOf(QLatin1Char(','), p);
        if (c < 0)
            return fn + QStringLiteral(" ohne folgendes Komma");
        const QString x = text.mid(p + fn.size(), c - p - fn.size());
        if (!completeArgument(x))
            return fn + QStringLiteral(": das erste Komma steht in einer Klammer oder einem Text");
        const QString tail = rest(x, text, c);
        if (tail.isEmpty())
            return fn + QStringLiteral(" ohne schließende Klammer");
        text = text.left(p) + QStringLiteral("SUBSTR(") + x + tail;
    }
    return QString();
}

QString rewriteLeftRight(QString& text)
{
    const QString left =
        rewriteFunction(text, QStringLiteral("LEFT("),
                        [](const QString&, const QString& t, qsizetype c) { return QStringLiteral(",1") + t.mid(c); });
    if (!left.isEmpty())
        return left;
    // The start position is LENGTH(x) + 1 - (n): the last n characters, not n + 1, and n bracketed
    // so that an expression such as Len(x)-1 is subtracted whole.
    return rewriteFunction(text, QStringLiteral("RIGHT("), [](const QString& x, const QString& t, qsizetype c) {
        const qsizetype close = closingParenthesis(t, c + 1);
        if (close < 0)
            return QString();
        return QStringLiteral(",LENGTH(") + x + QStringLiteral(") + 1 - (") + t.mid(c + 1, close - c - 1) +
               QLatin1Char(')') + t.mid(close);
    });
}

// AS 'Alias' -> AS Alias.
QString rewriteQuotedAliases(QString& text)
{
    const QString as = QStringLiteral("AS '");
    for (qsizetype p; (p = text.indexOf(as, 0, Qt::CaseInsensitive)) >= 0;) {
        const qsizetype c = text.indexOf(QLatin1Char('\''), p + as.size());
        if (c < 0)
            return QStringLiteral("AS ' ohne schließendes Hochkomma");
        text = text.left(p) + QStringLiteral("AS ") + text.mid(p + as.size(), c - p - as.size()) + text.mid(c + 1);
    }
    return QString();
}

// YEAR(d) -> TO_CHAR(d,'yyyy'), MONTH(d) -> TO_CHAR(d,'mm'); the first ")" closes the argument.
QString rewriteDatePart(QString& text, const QString& fn, const QString& format)
{
    for (qsizetype p = text.indexOf(fn, 0, Qt::CaseInsensitive); p >= 0; p = text.indexOf(fn, p, Qt::CaseInsensitive)) {
        const qsizetype c = text.indexOf(QLatin1Char(')'), p);
        if (c < 0)
            return fn + QStringLiteral(" ohne schließende Klammer");
        const QString x = text.mid(p + fn.size(), c - p - fn.size());
        if (!completeArgument(x))
            return fn + QStringLiteral(": die erste schließende Klammer steht in einer Klammer oder einem Text");
        text = text.left(p) + QStringLiteral("TO_CHAR(") + x + QStringLiteral(",'") + format + QLatin1Char('\'') +
               text.mid(c);
    }
    return QString();
}

bool isDb2ProductionView(const QString& name)
{
    const QString upper = name.toUpper();
    return upper == QLatin1String("VIEW__FS_ANZAHL") || upper == QLatin1String("VIEW__FS_PLANZAHL") ||
           upper == QLatin1String("VIEW__FS_FERTIGZAHL") || upper == QLatin1String("VIEW_PRODUKTIONSPLAN");
}

}  // namespace

ViewStatements rewriteView(const QString& viewName, const QString& accessQuery, const TextOptions& o)
{
    const ServerKind kind = o.kind;
    ViewStatements out;
    QString name = viewName;
    QString text = accessQuery;

    if (kind == ServerKind::DB2 && !isDb2ProductionView(name))
        out.preliminaryDrop = QStringLiteral("DROP VIEW ") + name;

    const qsizetype semicolon = statementEnd(text);
    if (semicolon >= 0)
        text.truncate(semicolon);

    if (name != QLatin1String("View_Kommission1"))
        text = accessDialectRounds(text);

    if (kind == ServerKind::MySQL || kind == ServerKind::Oracle) {
        text = rt::replaceCi(text, QStringLiteral("Str(Kommision-1)"), QStringLiteral("Kommision-1"));
        text = rt::replaceCi(text, QStringLiteral("Str(Kommission-1)"), QStringLiteral("Kommission-1"));
    }

    if (kind == ServerKind::Oracle || kind == ServerKind::DB2) {
        text = rt::replaceCi(text, QStringLiteral("SUBSTRING"), QStringLiteral("SUBSTR"));
        text = rt::replaceCi(text, QStringLiteral("LEN("), QStringLiteral("LENGTH("));
        name = name.left(30);
        out.notConvertible = rewriteLeftRight(text);
        if (out.notConvertible.isEmpty())
            out.notConvertible = rewriteQuotedAliases(text);
    }

    if (kind == ServerKind::Oracle && out.notConvertible.isEmpty()) {
        out.notConvertible = rewriteDatePart(text, QStringLiteral("YEAR("), QStringLiteral("yyyy"));
        if (out.notConvertible.isEmpty())
            out.notConvertible = rewriteDatePart(text, QStringLiteral("MONTH("), QStringLiteral("mm"));
    }

    out.name = name;
    // The name stands bare in the drop and the create: one that could end it is not sent at all.
    if (out.notConvertible.isEmpty() && !sqlnames::isPlainIdentifier(viewName))
        out.notConvertible = QStringLiteral("ungültiger Name");
    if (!out.notConvertible.isEmpty()) {
        out.preliminaryDrop.clear();
        return out;
    }

    out.create = QStringLiteral("CREATE VIEW ") + name + QStringLiteral(" AS ") + text;
    if (kind != ServerKind::DB2 && name == QLatin1String("View_ABV_LB"))
        out.create.replace(QStringLiteral("''"), QStringLiteral("NULL"));

    switch (kind) {
    case ServerKind::Sybase:
    case ServerKind::MySQL:
    case ServerKind::Oracle: out.drop = QStringLiteral("DROP VIEW ") + name; break;
    case ServerKind::MSSQL:
    case ServerKind::DB2: out.drop = QStringLiteral("DROP VIEW IF EXISTS ") + sqlnames::doubleQuoted(name); break;
    }
    return out;
}

bool dropFoundNoView(const QString& description)
{
    if (description.startsWith(QLatin1String("S0002")) || description.startsWith(QLatin1String("42S02")))
        return true;
    // Drivers that report it under a general state: MariaDB 1051/4092, SQLite, Oracle.
    for (const char* text : {"Unknown VIEW", "Unknown table", "no such view", "ORA-00942"})
        if (description.contains(QLatin1String(text), Qt::CaseInsensitive))
            return true;
    return false;
}

QStringList reportPieces(const QString& text, int width)
{
    QStringList pieces;
    for (qsizetype i = 0; i <= text.size() / width; ++i)
        pieces << text.mid(i * width, width);
    return pieces;
}

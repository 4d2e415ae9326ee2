#include "JsonDescription.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUuid>

#include <memory>

namespace mdbw {

namespace {

[[noreturn]] void fail(const QString& where, const QString& what) { throw Error(where + QStringLiteral(": ") + what); }

QJsonObject object(const QJsonValue& v, const QString& where)
{
    if (!v.isObject())
        fail(where, QStringLiteral("must be an object"));
    return v.toObject();
}

QJsonArray array(const QJsonValue& v, const QString& where)
{
    if (v.isUndefined() || v.isNull())
        return {};
    if (!v.isArray())
        fail(where, QStringLiteral("must be a list"));
    return v.toArray();
}

QString text(const QJsonObject& o, const char* key, const QString& where, bool required = false)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) {
        if (required)
            fail(where, QStringLiteral("\"%1\" is missing").arg(QLatin1String(key)));
        return {};
    }
    if (!v.isString())
        fail(where, QStringLiteral("\"%1\" must be a text").arg(QLatin1String(key)));
    return v.toString();
}

qint64 integer(const QJsonObject& o, const char* key, const QString& where, qint64 fallback = 0)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return fallback;
    if (!v.isDouble() || v.toDouble() != double(qint64(v.toDouble())))
        fail(where, QStringLiteral("\"%1\" must be a whole number").arg(QLatin1String(key)));
    return qint64(v.toDouble());
}

bool flag(const QJsonObject& o, const char* key, const QString& where)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return false;
    if (!v.isBool())
        fail(where, QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key)));
    return v.toBool();
}

QStringList texts(const QJsonValue& v, const QString& where)
{
    QStringList out;
    for (const QJsonValue& e : array(v, where)) {
        if (!e.isString())
            fail(where, QStringLiteral("must hold texts"));
        out.append(e.toString());
    }
    return out;
}

int typeCode(const QJsonValue& v, const QString& where)
{
    static const QList<QPair<QString, int>> names{{"yesno", 1},       {"boolean", 1},  {"byte", 2},   {"integer", 3},
                                                  {"long", 4},        {"currency", 5}, {"single", 6}, {"double", 7},
                                                  {"datetime", 8},    {"date", 8},     {"binary", 9}, {"text", 10},
                                                  {"longbinary", 11}, {"ole", 11},     {"memo", 12},  {"guid", 15}};
    if (v.isDouble())
        return int(v.toDouble());
    if (v.isString())
        for (const auto& [n, code] : names)
            if (n.compare(v.toString(), Qt::CaseInsensitive) == 0)
                return code;
    fail(where, QStringLiteral("\"type\" must be a type code (1-12, 15) or a type name"));
}

// A JSON cell value for a field of the given type.
QVariant cellValue(const QJsonValue& v, int fieldType, const QString& where)
{
    if (v.isNull() || v.isUndefined())
        return {};
    if (fieldType == type::Binary || fieldType == type::LongBinary) {
        if (!v.isString())
            fail(where, QStringLiteral("binary values are texts (\"hex:...\", \"base64:...\" or plain)"));
        const QString s = v.toString();
        if (s.startsWith(QLatin1String("hex:")))
            return QByteArray::fromHex(s.mid(4).toLatin1());
        if (s.startsWith(QLatin1String("base64:")))
            return QByteArray::fromBase64(s.mid(7).toLatin1());
        return s.toUtf8();
    }
    if (v.isArray() || v.isObject())
        fail(where, QStringLiteral("a value must be a number, a text, true/false or null"));
    return v.toVariant();
}

QList<QueryRow> queryRows(const QJsonArray& rows, const QString& where)
{
    QList<QueryRow> out;
    for (int i = 0; i < rows.size(); ++i) {
        const QString w = QStringLiteral("%1, row %2").arg(where).arg(i + 1);
        const QJsonObject o = object(rows[i], w);
        QueryRow r;
        r.attribute = int(integer(o, "attribute", w, -1));
        if (r.attribute < 0 || r.attribute > 255)
            fail(w, QStringLiteral("\"attribute\" must be 0 to 255"));
        r.order = int(integer(o, "order", w, 0));
        r.name1 = text(o, "name1", w);
        r.name2 = text(o, "name2", w);
        r.expression = text(o, "expression", w);
        if (o.contains(QLatin1String("flag")) && !o.value(QLatin1String("flag")).isNull())
            r.flag = int(integer(o, "flag", w));
        const QString extra = text(o, "lvExtra", w);
        if (!extra.isEmpty())
            r.lvExtra = cellValue(extra, type::LongBinary, w).toByteArray();
        out.append(r);
    }
    return out;
}

SelectParts selectParts(const QJsonObject& o, const QString& w)
{
    SelectParts p;
    p.allFields = flag(o, "allFields", w);
    p.distinct = flag(o, "distinct", w);
    p.distinctRow = flag(o, "distinctRow", w);
    p.top = int(integer(o, "top", w, 0));
    p.topPercent = flag(o, "topPercent", w);
    for (const QJsonValue& v : array(o.value(QLatin1String("parameters")), w + QStringLiteral(", parameters"))) {
        const QJsonObject po = object(v, w + QStringLiteral(", parameter"));
        p.parameters.append({text(po, "name", w, true), int(integer(po, "type", w, 10))});
    }
    for (const QJsonValue& v : array(o.value(QLatin1String("columns")), w + QStringLiteral(", columns"))) {
        if (v.isString())
            p.columns.append({v.toString(), {}});
        else {
            const QJsonObject c = object(v, w + QStringLiteral(", column"));
            p.columns.append({text(c, "expression", w, true), text(c, "alias", w)});
        }
    }
    for (const QJsonValue& v : array(o.value(QLatin1String("tables")), w + QStringLiteral(", tables"))) {
        if (v.isString())
            p.tables.append({v.toString(), {}});
        else {
            const QJsonObject c = object(v, w + QStringLiteral(", table"));
            p.tables.append({text(c, "name", w, true), text(c, "alias", w)});
        }
    }
    for (const QJsonValue& v : array(o.value(QLatin1String("joins")), w + QStringLiteral(", joins"))) {
        const QJsonObject j = object(v, w + QStringLiteral(", join"));
        SelectParts::Join join{text(j, "left", w, true), text(j, "right", w, true), text(j, "on", w, true), 1};
        const QJsonValue kind = j.value(QLatin1String("kind"));
        if (kind.isString()) {
            const QString k = kind.toString().toLower();
            join.kind = k == "inner" ? 1 : k == "left" ? 2 : k == "right" ? 3 : 0;
            if (join.kind == 0)
                fail(w, QStringLiteral("join kind must be inner, left or right"));
        } else if (!kind.isUndefined()) {
            join.kind = int(integer(j, "kind", w, 1));
        }
        p.joins.append(join);
    }
    p.where = text(o, "where", w);
    p.groupBy = texts(o.value(QLatin1String("groupBy")), w + QStringLiteral(", groupBy"));
    p.having = text(o, "having", w);
    for (const QJsonValue& v : array(o.value(QLatin1String("orderBy")), w + QStringLiteral(", orderBy"))) {
        if (v.isString())
            p.orderBy.append({v.toString(), false});
        else {
            const QJsonObject c = object(v, w + QStringLiteral(", orderBy"));
            p.orderBy.append({text(c, "expression", w, true), flag(c, "descending", w)});
        }
    }
    return p;
}

}  // namespace

QVariant patternValue(const QVariant& pattern, int fieldType, qint64 n)
{
    if (pattern.typeId() != QMetaType::QString)
        return pattern;
    const QString s = pattern.toString();
    if (!s.startsWith(QLatin1Char('#'))) {
        QString out = s;
        out.replace(QLatin1String("{n}"), QString::number(n + 1));
        if (fieldType == type::Binary || fieldType == type::LongBinary)
            return out.toUtf8();
        return out;
    }
    const int colon = s.indexOf(QLatin1Char(':'));
    const QString name = s.mid(1, colon < 0 ? -1 : colon - 1);
    const QString arg = colon < 0 ? QString() : s.mid(colon + 1);
    if (name == QLatin1String("null"))
        return {};
    if (name == QLatin1String("counter"))
        return (arg.isEmpty() ? 1 : arg.toLongLong()) + n;
    if (name == QLatin1String("mod"))
        return n % std::max<qint64>(1, arg.toLongLong());
    if (name == QLatin1String("bool"))
        return n % 2 == 0;
    if (name == QLatin1String("double"))
        return double(n) * (arg.isEmpty() ? 1.0 : arg.toDouble());
    if (name == QLatin1String("currency"))
        return QStringLiteral("%1.%2").arg(n / 100).arg(n % 100, 2, 10, QLatin1Char('0'));
    if (name == QLatin1String("date")) {
        const QDate base = arg.isEmpty() ? QDate(2000, 1, 1) : QDate::fromString(arg, QStringLiteral("yyyy-MM-dd"));
        return QDateTime(base.addDays(n % 36500), QTime(0, 0).addSecs(int((n * 61) % 86400)), Qt::UTC);
    }
    if (name == QLatin1String("guid"))
        return QUuid(uint(n), ushort(n >> 32), 0x4000, 0x80, 0, 0, 0, 0, 0, 0, 0).toString();
    if (name == QLatin1String("memo") || name == QLatin1String("bytes")) {
        const int len = std::max(0, arg.toInt());
        QString out;
        out.reserve(len);
        const QString unit = QStringLiteral("Zeile %1 äöü ").arg(n + 1);
        while (out.size() < len)
            out += unit;
        out.truncate(len);
        if (name == QLatin1String("bytes")) {
            QByteArray b(len, 0);
            for (int i = 0; i < len; ++i)
                b[i] = char((n + i) & 0xff);
            return b;
        }
        return out;
    }
    throw Error(QStringLiteral("unknown pattern %1").arg(s));
}

void loadDescription(const QByteArray& json, Database& db)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        throw Error(QStringLiteral("JSON error at offset %1: %2").arg(err.offset).arg(err.errorString()));
    if (!doc.isObject())
        fail(QStringLiteral("description"), QStringLiteral("must be an object"));
    const QJsonObject root = doc.object();

    const QString stamp = text(root, "timestamp", QStringLiteral("timestamp"));
    if (!stamp.isEmpty()) {
        const QDateTime dt = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            fail(QStringLiteral("timestamp"), QStringLiteral("must read yyyy-MM-dd HH:mm:ss"));
        db.setTimestamp(dt);
    }

    for (const QJsonValue& tv : array(root.value(QLatin1String("tables")), QStringLiteral("tables"))) {
        const QJsonObject to = object(tv, QStringLiteral("table"));
        const QString tname = text(to, "name", QStringLiteral("table"), true);
        const QString w = QStringLiteral("table %1").arg(tname);
        Table& t = db.addTable(tname);
        quint32 flags = quint32(integer(to, "flags", w, 0));
        if (flag(to, "hidden", w))
            flags |= kHidden;
        if (flag(to, "system", w))
            flags |= kSystemAccess;
        t.setFlags(flags);
        for (const QJsonValue& fv : array(to.value(QLatin1String("fields")), w + QStringLiteral(", fields"))) {
            const QJsonObject fo = object(fv, w + QStringLiteral(", field"));
            Field f;
            f.name = text(fo, "name", w + QStringLiteral(", field"), true);
            const QString fw = QStringLiteral("%1, field %2").arg(w, f.name);
            f.type = typeCode(fo.value(QLatin1String("type")), fw);
            f.size = int(integer(fo, "size", fw, 0));
            f.required = flag(fo, "required", fw);
            const QJsonValue def = fo.value(QLatin1String("default"));
            if (def.isString())
                f.defaultValue = def.toString();
            else if (def.isDouble())
                f.defaultValue = QString::number(def.toDouble(), 'g', 15);
            else if (!def.isUndefined() && !def.isNull())
                fail(fw, QStringLiteral("\"default\" must be a text or number"));
            f.autoNumber = flag(fo, "autoNumber", fw);
            t.addField(f);
        }
        for (const QJsonValue& iv : array(to.value(QLatin1String("indexes")), w + QStringLiteral(", indexes"))) {
            const QJsonObject io = object(iv, w + QStringLiteral(", index"));
            Index ix;
            ix.name = text(io, "name", w + QStringLiteral(", index"), true);
            const QString iw = QStringLiteral("%1, index %2").arg(w, ix.name);
            ix.fields = texts(io.value(QLatin1String("fields")), iw);
            ix.primary = flag(io, "primary", iw);
            ix.unique = flag(io, "unique", iw);
            ix.ignoreNulls = flag(io, "ignoreNulls", iw);
            for (const QJsonValue& d : array(io.value(QLatin1String("descending")), iw))
                ix.descending.append(d.toBool());
            t.addIndex(ix);
        }
        const QJsonArray rows = array(to.value(QLatin1String("rows")), w + QStringLiteral(", rows"));
        for (int r = 0; r < rows.size(); ++r) {
            const QString rw = QStringLiteral("%1, row %2").arg(w).arg(r + 1);
            const QJsonArray cells = array(rows[r], rw);
            if (cells.size() != t.fields().size())
                fail(rw, QStringLiteral("has %1 values for %2 fields").arg(cells.size()).arg(t.fields().size()));
            Row row;
            for (int c = 0; c < cells.size(); ++c)
                row.append(cellValue(cells[c], t.fields()[c].type, rw));
            t.addRow(row);
        }
        const QJsonValue gen = to.value(QLatin1String("generate"));
        if (!gen.isUndefined() && !gen.isNull()) {
            const QString gw = w + QStringLiteral(", generate");
            const QJsonObject go = object(gen, gw);
            const qint64 count = integer(go, "count", gw, -1);
            if (count < 0)
                fail(gw, QStringLiteral("\"count\" is missing"));
            const QJsonObject pattern = object(
                go.value(QLatin1String("pattern")).isUndefined() ? QJsonObject() : go.value(QLatin1String("pattern")),
                gw + QStringLiteral(", pattern"));
            auto specs = std::make_shared<QList<QPair<int, QVariant>>>();
            for (auto it = pattern.begin(); it != pattern.end(); ++it) {
                const int fi = t.fieldIndex(it.key());
                if (fi < 0)
                    fail(gw, QStringLiteral("no field %1").arg(it.key()));
                const QVariant fieldPattern = it.value().toVariant();
                patternValue(fieldPattern, t.fields()[fi].type, 0);  // reject unknown patterns now
                specs->append({fi, fieldPattern});
            }
            QList<int> types;
            for (const Field& f : t.fields())
                types.append(f.type);
            t.generateRows(count, [specs, types](qint64 n, Row& row) {
                for (const auto& [fi, fieldPattern] : *specs)
                    row[fi] = patternValue(fieldPattern, types[fi], n);
            });
        }
    }

    for (const QJsonValue& rv : array(root.value(QLatin1String("relations")), QStringLiteral("relations"))) {
        const QJsonObject ro = object(rv, QStringLiteral("relation"));
        Relation r;
        r.name = text(ro, "name", QStringLiteral("relation"), true);
        const QString w = QStringLiteral("relation %1").arg(r.name);
        r.table = text(ro, "table", w, true);
        r.foreignTable = text(ro, "foreignTable", w, true);
        r.attributes = qint32(integer(ro, "attributes", w, 0));
        for (const QJsonValue& fv : array(ro.value(QLatin1String("fields")), w)) {
            const QJsonObject fo = object(fv, w);
            r.fields.append({text(fo, "name", w, true), text(fo, "foreignName", w, true)});
        }
        db.addRelation(r);
    }

    for (const QJsonValue& qv : array(root.value(QLatin1String("queries")), QStringLiteral("queries"))) {
        const QJsonObject qo = object(qv, QStringLiteral("query"));
        const QString name = text(qo, "name", QStringLiteral("query"), true);
        const QString w = QStringLiteral("query %1").arg(name);
        const bool hasRows = qo.contains(QLatin1String("rows"));
        const bool hasSelect = qo.contains(QLatin1String("select"));
        if (hasRows == hasSelect)
            fail(w, QStringLiteral("needs either \"rows\" or \"select\""));
        if (hasRows)
            db.addQuery(name, queryRows(array(qo.value(QLatin1String("rows")), w), w),
                        quint32(integer(qo, "flags", w, 0)));
        else
            db.addSelectQuery(name, selectParts(object(qo.value(QLatin1String("select")), w), w));
    }
}

}  // namespace mdbw

// mdbinfo: shows what the Access layer sees in a file, as JSON.
//   mdbinfo FILE               tables, relations and queries
//   mdbinfo FILE --rows TABLE  the table's rows as the record set gives them
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

QJsonObject describeTable(const accessdb::TableDef& t, long rowCount)
{
    QJsonArray fields;
    for (const accessdb::Field& f : t.fields)
        fields.append(QJsonObject{{"name", f.name},
                                  {"type", f.type},
                                  {"size", f.size},
                                  {"required", f.required},
                                  {"default", f.defaultValue}});
    QJsonArray indexes;
    for (const accessdb::Index& ix : t.indexes)
        indexes.append(QJsonObject{{"name", ix.name},
                                   {"primary", ix.primary},
                                   {"unique", ix.unique},
                                   {"fields", QJsonArray::fromStringList(ix.fields)}});
    QJsonObject o{{"name", t.name},
                  {"attributes", qint64(t.attributes)},
                  {"linked", t.linked},
                  {"fields", fields},
                  {"indexes", indexes}};
    o.insert("rowCount", t.linked ? QJsonValue() : QJsonValue(qint64(rowCount)));
    return o;
}

QJsonDocument describeDatabase(accessdb::Database& db)
{
    QJsonArray tables;
    for (const accessdb::TableDef& t : db.tableDefs()) {
        long count = 0;
        if (!t.linked) {
            auto rs = db.openRecordset(t.name);
            if (!rs->eof()) {
                rs->moveLast();
                count = rs->recordCount();
            }
        }
        tables.append(describeTable(t, count));
    }
    QJsonArray relations;
    for (const accessdb::Relation& r : db.relations()) {
        QJsonArray pairs;
        for (const accessdb::RelationField& f : r.fields)
            pairs.append(QJsonObject{{"name", f.name}, {"foreignName", f.foreignName}});
        relations.append(QJsonObject{{"name", r.name},
                                     {"table", r.table},
                                     {"foreignTable", r.foreignTable},
                                     {"attributes", r.attributes},
                                     {"fields", pairs}});
    }
    QJsonArray queries;
    for (const accessdb::QueryDef& q : db.queryDefs())
        queries.append(QJsonObject{{"name", q.name}, {"sql", q.sql}});
    return QJsonDocument(QJsonObject{{"tables", tables}, {"relations", relations}, {"queries", queries}});
}

// A value as a user reads it; numbers with a decimal point, as they go into the SQL text.
QJsonValue shown(const accessdb::Field& f, const accessdb::Value& v)
{
    namespace type = accessdb::type;
    if (v.isNull)
        return QJsonValue();
    switch (f.type) {
    case type::Byte:
    case type::Integer:
    case type::Long:
    case type::Complex: return QString::number(v.integer);
    case type::Currency: return rt::NumberText::ofCurrency(v.integer).toString();
    case type::Single: return rt::NumberText::ofSingle(float(v.real)).toString();
    case type::Double: return rt::NumberText::ofDouble(v.real).toString();
    case type::DateTime:  // outside the calendar: the stored number
        return v.text.isEmpty() ? rt::NumberText::ofDouble(v.real).toString() : v.text;
    default:
        if (!v.bytes.isEmpty() && v.text.isEmpty())
            return QString::fromLatin1(v.bytes.toHex());  // binary: hexadecimal digits
        return v.text;
    }
}

QJsonDocument tableRows(accessdb::Database& db, const QString& table)
{
    auto rs = db.openRecordset(table);
    QJsonArray rows;
    for (; !rs->eof(); rs->moveNext()) {
        QJsonArray row;
        for (int i = 0; i < rs->fieldCount(); ++i)
            row.append(shown(rs->field(i), rs->value(i)));
        rows.append(row);
    }
    return QJsonDocument(rows);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool rows = args.size() == 3 && args[1] == QStringLiteral("--rows");
    if (!(args.size() == 1 || rows)) {
        std::fprintf(stderr, "usage: mdbinfo FILE [--rows TABLE]\n");
        return 2;
    }
    try {
        // The Access library's warnings, in German, where this tool reports its errors.
        auto db = accessdb::openDatabase(args[0], [](const QString& warning) {
            std::fprintf(stderr, "mdbinfo: Warnung: %s\n", warning.toUtf8().constData());
        });
        const QJsonDocument doc = rows ? tableRows(*db, args[2]) : describeDatabase(*db);
        const QByteArray out = doc.toJson(QJsonDocument::Indented);
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return 0;
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "mdbinfo: error %d: %s\n", e.number(), e.description().toUtf8().constData());
        return 1;
    }
}

#include "dataaccess/AccessDatabase.h"

#include "dataaccess/mdb/AccessFile.h"
#include "dataaccess/mdb/QueryText.h"
#include "dataaccess/mdb/RowCursor.h"
#include "runtime/RuntimeError.h"

#include <QHash>
#include <QMap>
#include <algorithm>
#include <optional>

namespace accessdb {

namespace {

using mdb::AccessFile;
using mdb::RowCursor;

// MSysObjects Type values.
constexpr int kLocalTable = 1, kOdbcLinkedTable = 4, kQuery = 5, kLinkedTable = 6;
// TableDef.Attributes bits for linked tables and hidden objects.
constexpr quint32 kAttachedTable = 0x40000000u, kAttachedOdbc = 0x20000000u, kHiddenObject = 0x1u;

// Collections are ordered by name, ignoring case and accents, as Access lists them.
QString sortKey(const QString& name)
{
    QString d = name.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toCaseFolded();
    return out;
}

template <typename T>
void sortByName(QList<T>& list)
{
    std::stable_sort(list.begin(), list.end(), [](const T& a, const T& b) {
        const QString ka = sortKey(a.name), kb = sortKey(b.name);
        return ka != kb ? ka < kb : a.name < b.name;
    });
}

class MdbRecordset : public Recordset {
public:
    MdbRecordset(std::shared_ptr<AccessFile> file, MdbCatalogEntry* entry, const QString& name)
        : file_(std::move(file)), cursor_(std::make_unique<RowCursor>(*file_, entry, name)), name_(name)
    {
        values_.resize(cursor_->fields().size());
        advance();
        if (!eof_)
            seen_ = 1;
    }

    long recordCount() const override { return seen_; }

    // A failed move leaves the record set failed: every later move and read raises the same
    // failure, so a damaged table can never look like one that simply ended. moveFirst and
    // moveLast start a new scan.
    void moveFirst() override
    {
        open();
        failure_.reset();
        guarded([&] {
            cursor_->rewind();
            position_ = -1;
            advance();
        });
    }

    void moveLast() override
    {
        open();
        failure_.reset();
        guarded([&] {
            cursor_->rewind();
            long count = 0;
            eof_ = !cursor_->last(count);
            position_ = count - 1;
            seen_ = std::max(seen_, count);
            decodeAll();
        });
    }

    void moveNext() override
    {
        open();
        if (failure_)
            throw *failure_;
        if (eof_)
            throw noCurrentRecord();
        guarded([&] { advance(); });
    }

    bool eof() const override { return eof_; }
    int fieldCount() const override { return int(cursor_ ? cursor_->fields().size() : 0); }

    const Field& field(int index) const override
    {
        if (!cursor_ || index < 0 || index >= cursor_->fields().size())
            throw rt::RuntimeError(rt::err::AccessItemNotFound, QStringLiteral("DAO.Fields"),
                                   QStringLiteral("Element in dieser Auflistung nicht gefunden."));
        return cursor_->fields()[index];
    }

    const Value& value(int index) const override
    {
        field(index);
        if (failure_)
            throw *failure_;
        if (eof_)
            throw noCurrentRecord();
        return values_[index];
    }

    void close() override
    {
        cursor_.reset();
        eof_ = true;
    }

private:
    void open() const
    {
        if (!cursor_)
            throw rt::RuntimeError(rt::err::InvalidCall, QStringLiteral("DAO.Recordset"),
                                   QStringLiteral("Der Vorgang ist für ein geschlossenes Objekt nicht zulässig."));
    }
    template <class Move>
    void guarded(Move move)
    {
        try {
            move();
        } catch (const rt::RuntimeError& e) {
            failure_ = e;
            throw;
        }
    }
    static rt::RuntimeError noCurrentRecord()
    {
        return rt::RuntimeError(rt::err::AccessNoCurrentRecord, QStringLiteral("DAO.Recordset"),
                                QStringLiteral("Kein aktueller Datensatz."));
    }
    void advance()
    {
        eof_ = !cursor_->next();
        if (!eof_) {
            ++position_;
            seen_ = std::max(seen_, position_ + 1);
        }
        decodeAll();
    }
    void decodeAll()
    {
        if (eof_)
            return;
        for (int i = 0; i < values_.size(); ++i)
            cursor_->decode(i, values_[i]);
    }

    std::shared_ptr<AccessFile> file_;
    std::unique_ptr<RowCursor> cursor_;
    QString name_;
    QList<Value> values_;
    bool eof_ = true;
    long position_ = -1;
    long seen_ = 0;
    std::optional<rt::RuntimeError> failure_;
};

class MdbDatabase : public Database {
public:
    MdbDatabase(const QString& path, WarningSink warnings)
        : file_(std::make_shared<AccessFile>(path, std::move(warnings)))
    {
        // The catalog is read here rather than by libmdb, which trusts every byte of it: the
        // catalog table's definition always starts on page 2.
        readObjects(file_->addEntry(QStringLiteral("MSysObjects"), MDB_TABLE, 2, 0x80000000u, QByteArray()));
        readRelations();
        readQueries();
    }

    void setQueryTimeout(int seconds) override { queryTimeout_ = seconds; }
    const QList<TableDef>& tableDefs() const override { return tables_; }

    const TableDef& tableDef(const QString& name) const override
    {
        for (const TableDef& t : tables_)
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        throw rt::RuntimeError(rt::err::AccessItemNotFound, QStringLiteral("DAO.TableDefs"),
                               QStringLiteral("Element in dieser Auflistung nicht gefunden: '%1'.").arg(name));
    }

    const QList<Relation>& relations() const override { return relations_; }
    const QList<QueryDef>& queryDefs() const override { return queries_; }

    std::unique_ptr<Recordset> openRecordset(const QString& tableName) override
    {
        for (int i = 0; i < tables_.size(); ++i) {
            const TableDef& t = tables_[i];
            if (t.name.compare(tableName, Qt::CaseInsensitive) != 0)
                continue;
            if (t.linked) {
                const QString target = linkTargets_.value(t.name);
                throw rt::RuntimeError(
                    rt::err::AccessCannotOpenLinked, QStringLiteral("DAO.Database"),
                    QStringLiteral("Die verknüpfte Tabelle '%1' kann nicht geöffnet werden: ihre Daten liegen "
                                   "in einer anderen Datenbank%2. Importieren Sie die Tabelle in die "
                                   "Access-Datenbank, bevor Sie sie konvertieren.")
                        .arg(t.name, target.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(target)));
            }
            return std::make_unique<MdbRecordset>(file_, entries_.value(t.name), t.name);
        }
        throw rt::RuntimeError(rt::err::AccessObjectNotFound, QStringLiteral("DAO.Database"),
                               QStringLiteral("Die Tabelle oder Abfrage '%1' wurde nicht gefunden.").arg(tableName));
    }

private:
    MdbCatalogEntry* systemTable(const QString& name) const { return systemEntries_.value(name); }

    void readObjects(MdbCatalogEntry* catalog)
    {
        struct Object {
            QString name;
            int type;
            quint32 id, flags;
            QByteArray lvProp;
            QString link;
        };
        QList<Object> objects;
        {
            RowCursor rows(*file_, catalog, QStringLiteral("MSysObjects"));
            const int cId = rows.requiredColumn(QStringLiteral("Id")),
                      cName = rows.requiredColumn(QStringLiteral("Name")),
                      cType = rows.requiredColumn(QStringLiteral("Type")),
                      cFlags = rows.requiredColumn(QStringLiteral("Flags")),
                      cProp = rows.columnIndex(QStringLiteral("LvProp")),
                      cDatabase = rows.columnIndex(QStringLiteral("Database")),
                      cConnect = rows.columnIndex(QStringLiteral("Connect")),
                      cForeign = rows.columnIndex(QStringLiteral("ForeignName"));
            while (rows.next()) {
                Object o;
                o.type = int(qint16(rows.integer(cType)));
                o.name = rows.text(cName);
                o.id = quint32(rows.integer(cId));
                o.flags = quint32(rows.integer(cFlags));
                if (o.name.isEmpty())
                    continue;
                if (o.type == kLocalTable && cProp >= 0)
                    o.lvProp = rows.rawBytes(cProp);
                if (o.type == kLinkedTable || o.type == kOdbcLinkedTable) {
                    QString target = cDatabase >= 0 ? rows.text(cDatabase) : QString();
                    if (target.isEmpty() && cConnect >= 0)
                        target = rows.text(cConnect);
                    const QString foreign = cForeign >= 0 ? rows.text(cForeign) : QString();
                    o.link = foreign.isEmpty() || target.isEmpty() ? target + foreign
                                                                   : target + QStringLiteral(", Tabelle ") + foreign;
                }
                if (o.type == kQuery || o.type == kLocalTable || o.type == kLinkedTable || o.type == kOdbcLinkedTable)
                    objects.append(o);
            }
        }
        for (const Object& o : objects) {
            if (o.type == kQuery) {
                queryIds_.insert(o.id, {o.name, o.flags});
                continue;
            }
            TableDef t;
            t.name = o.name;
            // The attribute bits a table definition reports, not the raw catalog flags.
            if (o.flags & kSystemObjectBits)
                t.attributes |= kSystemObjectBits;
            if (o.flags & 0x8u)
                t.attributes |= kHiddenObject;
            if (o.type == kLocalTable) {
                MdbCatalogEntry* e = file_->addEntry(o.name, MDB_TABLE, o.id & 0xFFFFFF, o.flags, o.lvProp);
                entries_.insert(o.name, e);
                if (o.flags & 0x80000000u)
                    systemEntries_.insert(o.name, e);
                describeTable(e, t);
            } else {
                t.linked = true;
                t.attributes |= o.type == kLinkedTable ? kAttachedTable : kAttachedOdbc;
                linkTargets_.insert(o.name, o.link);
            }
            tables_.append(t);
        }
        sortByName(tables_);
    }

    void describeTable(MdbCatalogEntry* e, TableDef& t)
    {
        RowCursor rows(*file_, e, t.name);
        t.fields = rows.fields();
        QHash<int, QString> byNumber;
        for (const mdb::ColumnLayout& c : rows.layout().columns)
            byNumber.insert(c.number, c.name);
        for (const mdb::IndexLayout& ix : rows.layout().indexes) {
            if (ix.backReference)
                continue;
            Index out;
            out.name = ix.name;
            out.primary = ix.primary;
            out.unique = ix.unique;
            for (int n : ix.columnNumbers)
                out.fields.append(byNumber.value(n));
            t.indexes.append(out);
        }
        sortByName(t.indexes);
    }

    void readRelations()
    {
        MdbCatalogEntry* e = systemTable(QStringLiteral("MSysRelationships"));
        if (!e)
            return;  // a database without relationships may lack the table
        RowCursor rows(*file_, e, QStringLiteral("MSysRelationships"));
        const int cName = rows.requiredColumn(QStringLiteral("szRelationship")),
                  cGrbit = rows.requiredColumn(QStringLiteral("grbit")),
                  cIcol = rows.requiredColumn(QStringLiteral("icolumn")),
                  cObject = rows.requiredColumn(QStringLiteral("szObject")),
                  cColumn = rows.requiredColumn(QStringLiteral("szColumn")),
                  cRefObject = rows.requiredColumn(QStringLiteral("szReferencedObject")),
                  cRefColumn = rows.requiredColumn(QStringLiteral("szReferencedColumn"));
        QMap<QString, QMap<qint64, RelationField>> fields;
        QHash<QString, int> index;
        while (rows.next()) {
            const QString name = rows.text(cName);
            if (!index.contains(name)) {
                Relation r;
                r.name = name;
                r.table = rows.text(cRefObject);
                r.foreignTable = rows.text(cObject);
                r.attributes = qint32(rows.integer(cGrbit));
                index.insert(name, relations_.size());
                relations_.append(r);
            }
            fields[name].insert(rows.integer(cIcol), RelationField{rows.text(cRefColumn), rows.text(cColumn)});
        }
        for (Relation& r : relations_)
            r.fields = fields.value(r.name).values();
        sortByName(relations_);
    }

    void readQueries()
    {
        QHash<quint32, QList<mdb::QueryRow>> rowsById;
        if (MdbCatalogEntry* e = systemTable(QStringLiteral("MSysQueries"))) {
            RowCursor rows(*file_, e, QStringLiteral("MSysQueries"));
            const int cId = rows.requiredColumn(QStringLiteral("ObjectId")),
                      cAttr = rows.requiredColumn(QStringLiteral("Attribute")),
                      cOrder = rows.requiredColumn(QStringLiteral("Order")),
                      cName1 = rows.requiredColumn(QStringLiteral("Name1")),
                      cName2 = rows.requiredColumn(QStringLiteral("Name2")),
                      cExpr = rows.requiredColumn(QStringLiteral("Expression")),
                      cFlag = rows.requiredColumn(QStringLiteral("Flag"));
            while (rows.next()) {
                mdb::QueryRow q;
                q.attribute = int(rows.integer(cAttr));
                const QByteArray order = rows.rawBytes(cOrder);
                for (char c : order.left(4))
                    q.order = q.order << 8 | quint8(c);
                q.flag = int(rows.integer(cFlag));
                q.name1 = rows.text(cName1);
                q.name2 = rows.text(cName2);
                q.expression = rows.text(cExpr);
                rowsById[quint32(rows.integer(cId))].append(q);
            }
        }
        for (auto it = queryIds_.begin(); it != queryIds_.end(); ++it) {
            QueryDef q;
            q.name = it->first;
            q.sql = mdb::queryText(rowsById.value(it.key()), it->second);
            queries_.append(q);
        }
        sortByName(queries_);
    }

    std::shared_ptr<AccessFile> file_;
    QHash<QString, MdbCatalogEntry*> systemEntries_;
    QHash<QString, MdbCatalogEntry*> entries_;
    QHash<QString, QString> linkTargets_;
    QHash<quint32, QPair<QString, quint32>> queryIds_;
    QList<TableDef> tables_;
    QList<Relation> relations_;
    QList<QueryDef> queries_;
    int queryTimeout_ = 60;
};

}  // namespace

std::unique_ptr<Database> openDatabase(const QString& path, WarningSink warnings)
{
    return std::make_unique<MdbDatabase>(path, std::move(warnings));
}

}  // namespace accessdb

#include "MemoryAccessDatabase.h"
#include "runtime/RuntimeError.h"

#include <QDate>

namespace testsupport {
namespace {
class MemoryRecordset : public accessdb::Recordset {
public:
    MemoryRecordset(const accessdb::TableDef& def, const QList<MemoryAccessDatabase::Row>& rows, int failingRow)
        : def_(def), rows_(rows), failingRow_(failingRow)
    {}
    long recordCount() const override { return rows_.isEmpty() ? 0 : (seenLast_ ? rows_.size() : 1); }
    void moveFirst() override
    {
        check();
        pos_ = 0;
    }
    void moveLast() override
    {
        check();
        pos_ = int(rows_.size()) - 1;
        seenLast_ = true;
    }
    void moveNext() override
    {
        if (eof())
            throw rt::RuntimeError(rt::err::AccessNoCurrentRecord, QStringLiteral("DAO.Recordset"),
                                   QStringLiteral("Kein aktueller Datensatz."));
        ++pos_;
    }
    bool eof() const override { return pos_ >= rows_.size(); }
    int fieldCount() const override { return int(def_.fields.size()); }
    const accessdb::Field& field(int index) const override
    {
        if (index < 0 || index >= def_.fields.size())
            throw rt::runtimeFailure(rt::err::SubscriptOutOfRange);
        return def_.fields[index];
    }
    const accessdb::Value& value(int index) const override
    {
        if (eof() || pos_ < 0)
            throw rt::RuntimeError(rt::err::AccessNoCurrentRecord, QStringLiteral("DAO.Field"),
                                   QStringLiteral("Kein aktueller Datensatz."));
        if (pos_ + 1 == failingRow_)
            throw rt::RuntimeError(rt::err::AccessDamaged, QStringLiteral("DAO.Field"),
                                   QStringLiteral("Datensatz %1: Datenseite nicht lesbar").arg(failingRow_));
        const auto& row = rows_[pos_];
        if (index < 0 || index >= row.size())
            throw rt::runtimeFailure(rt::err::SubscriptOutOfRange);
        return row[index];
    }
    void close() override {}

private:
    void check() const
    {
        if (rows_.isEmpty())
            throw rt::RuntimeError(rt::err::AccessNoCurrentRecord, QStringLiteral("DAO.Recordset"),
                                   QStringLiteral("Kein aktueller Datensatz."));
    }
    accessdb::TableDef def_;
    QList<MemoryAccessDatabase::Row> rows_;
    int pos_ = 0;
    bool seenLast_ = false;
    int failingRow_ = 0;
};
}  // namespace

QList<MemoryAccessDatabase::Row>& MemoryAccessDatabase::addTable(const accessdb::TableDef& def)
{
    tables_ << def;
    return rows_[def.name.toLower()];
}

QList<MemoryAccessDatabase::Row>& MemoryAccessDatabase::rows(const QString& table) { return rows_[table.toLower()]; }

const accessdb::TableDef& MemoryAccessDatabase::tableDef(const QString& name) const
{
    for (const accessdb::TableDef& t : tables_)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    throw rt::RuntimeError(rt::err::AccessItemNotFound, QStringLiteral("DAO.TableDefs"),
                           QStringLiteral("Element in dieser Auflistung nicht gefunden."));
}

std::unique_ptr<accessdb::Recordset> MemoryAccessDatabase::openRecordset(const QString& tableName)
{
    for (const accessdb::TableDef& t : tables_) {
        if (t.name.compare(tableName, Qt::CaseInsensitive) == 0) {
            if (t.linked)
                throw rt::RuntimeError(
                    rt::err::AccessCannotOpenLinked, QStringLiteral("DAO.Database"),
                    QStringLiteral("Verknüpfte Tabelle '%1' kann nicht geöffnet werden.").arg(tableName));
            ++recordsetsOpened;
            return std::make_unique<MemoryRecordset>(t, rows_.value(t.name.toLower()),
                                                     failingRow_.value(t.name.toLower()));
        }
    }
    throw rt::RuntimeError(rt::err::AccessObjectNotFound, QStringLiteral("DAO.Database"),
                           QStringLiteral("Das Objekt '%1' wurde nicht gefunden.").arg(tableName));
}

accessdb::Field field(const QString& name, int type, int size, bool required, const QString& defaultValue)
{
    accessdb::Field f;
    f.name = name;
    f.type = type;
    f.size = size;
    f.required = required;
    f.defaultValue = defaultValue;
    return f;
}

accessdb::Index index(const QString& name, const QStringList& fields, bool primary, bool unique)
{
    accessdb::Index i;
    i.name = name;
    i.fields = fields;
    i.primary = primary;
    i.unique = unique || primary;
    return i;
}

namespace val {
accessdb::Value null() { return accessdb::Value(); }

accessdb::Value text(const QString& s)
{
    accessdb::Value v;
    v.isNull = false;
    v.text = s;
    return v;
}

accessdb::Value integer(qint64 n)
{
    accessdb::Value v;
    v.isNull = false;
    v.integer = n;
    return v;
}

accessdb::Value real(double d)
{
    accessdb::Value v;
    v.isNull = false;
    v.real = d;
    return v;
}

accessdb::Value boolean(bool b) { return text(b ? QStringLiteral("TRUE") : QStringLiteral("FALSE")); }

accessdb::Value date(int y, int m, int d, int h, int n, int s)
{
    accessdb::Value v;
    v.isNull = false;
    v.year = y, v.month = m, v.day = d, v.hour = h, v.minute = n, v.second = s;
    v.text = QDate(y, m, d).toString(QStringLiteral("dd.MM.yyyy"));
    if (h || n || s)
        v.text += QStringLiteral(" %1:%2:%3")
                      .arg(h, 2, 10, QChar(u'0'))
                      .arg(n, 2, 10, QChar(u'0'))
                      .arg(s, 2, 10, QChar(u'0'));
    return v;
}

accessdb::Value bytes(const QByteArray& b)
{
    accessdb::Value v;
    v.isNull = false;
    v.bytes = b;
    return v;
}
}  // namespace val

}  // namespace testsupport

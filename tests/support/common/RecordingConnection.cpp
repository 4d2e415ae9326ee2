#include "RecordingConnection.h"
#include "runtime/RuntimeError.h"

#include <QRegularExpression>

namespace testsupport {
namespace {
class FixedResult : public sql::ResultSet {
public:
    explicit FixedResult(QVariant v) : v_(std::move(v)) {}
    QVariant value(int) override { return v_; }
    void close() override {}

private:
    QVariant v_;
};

class CatalogTable : public sql::Table {
public:
    CatalogTable(RecordingConnection& c, QString name) : c_(c), name_(std::move(name)) {}
    QString name() const override { return name_; }
    void refreshColumns() override { columns_ = c_.tables.value(name_); }
    QStringList columnNames() const override { return columns_; }

private:
    RecordingConnection& c_;
    QString name_;
    QStringList columns_;
};
}  // namespace

void RecordingConnection::failWhen(const QString& statementContains, const QString& description, int number, int times)
{
    failures_.append({statementContains, number, description, times});
}

void RecordingConnection::maybeFail(const QString& statement)
{
    for (Failure& f : failures_) {
        if (f.times == 0)
            continue;
        if (!f.statementContains.isEmpty() && !statement.contains(f.statementContains))
            continue;
        if (f.times > 0)
            --f.times;
        throw rt::RuntimeError(f.number, QStringLiteral("RecordingConnection"), f.description);
    }
}

namespace {
// The table a statement names right after its leading words, without MySQL's quotes.
QString tableAfter(const QString& statement, QLatin1String head)
{
    if (!statement.startsWith(head))
        return QString();
    QString t = statement.mid(head.size()).section(u' ', 0, 0);
    t.remove(u'`');
    return t;
}
}  // namespace

void RecordingConnection::record(const QString& statement)
{
    executed << statement;
    executeOptions << 0;
    maybeFail(statement);
}

void RecordingConnection::setAutoCommit(bool on)
{
    record(on ? QStringLiteral("SET AUTOCOMMIT ON") : QStringLiteral("SET AUTOCOMMIT OFF"));
    if (on)  // ends the open transaction with a commit
        keepPending();
    autoCommit = on;
}

void RecordingConnection::commit()
{
    record(QStringLiteral("COMMIT WORK"));
    keepPending();
}

void RecordingConnection::keepPending()
{
    for (auto it = rowsPending_.cbegin(); it != rowsPending_.cend(); ++it)
        rowsInserted[it.key()] += it.value();
    rowsPending_.clear();
}

void RecordingConnection::rollback()
{
    record(QStringLiteral("ROLLBACK WORK"));
    rowsPending_.clear();
}

void RecordingConnection::execute(const QString& statement, int options)
{
    executed << statement;
    executeOptions << options;
    maybeFail(statement);
    if (const QString t = tableAfter(statement, QLatin1String("INSERT INTO ")); !t.isEmpty())
        ++(autoCommit ? rowsInserted : rowsPending_)[t];
    else if (const QString d = tableAfter(statement, QLatin1String("DROP TABLE ")); !d.isEmpty())
        rowsInserted.remove(d);
    // A column added to a table the catalogue knows joins its columns, as on a server.
    static const QRegularExpression addColumn(QStringLiteral("^ALTER TABLE \\[(.*)\\]  ADD \\[(.*)\\] "));
    if (const auto m = addColumn.match(statement); m.hasMatch() && tables.contains(m.captured(1)))
        tables[m.captured(1)] << m.captured(2);
}

std::unique_ptr<sql::ResultSet> RecordingConnection::openResultset(const QString& statement, int, int, int options)
{
    executed << statement;
    executeOptions << options;
    maybeFail(statement);
    for (const auto& r : results)
        if (statement.contains(r.first))
            return std::make_unique<FixedResult>(r.second);
    if (const QString t = tableAfter(statement, QLatin1String("SELECT COUNT(*) FROM ")); !t.isEmpty())
        return std::make_unique<FixedResult>(QVariant(rowsInserted.value(t)));
    return std::make_unique<FixedResult>(QVariant(0));
}

std::shared_ptr<sql::Table> RecordingConnection::table(const QString& name)
{
    if (!tables.contains(name))
        throw rt::RuntimeError(40002, QStringLiteral("RecordingConnection"),
                               QStringLiteral("S0002: table %1 not found").arg(name));
    auto t = std::make_shared<CatalogTable>(*this, name);
    t->refreshColumns();
    return t;
}

}  // namespace testsupport

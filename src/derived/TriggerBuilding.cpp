#include "derived/TriggerBuilding.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

bool containsCi(const QStringList& list, const QString& s)
{
    for (const QString& x : list)
        if (x.compare(s, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
}  // namespace

QString triggerFieldQuote(const TextOptions& o)
{
    return o.kind == ServerKind::Sybase ? QString() : QStringLiteral("\"");
}

void collectRelation(QList<TriggerTable>& tables, const accessdb::Relation& relation, const TextOptions& o)
{
    const QString q = triggerFieldQuote(o);
    TriggerTable* entry = nullptr;
    for (TriggerTable& t : tables)
        if (t.table.compare(relation.table, Qt::CaseInsensitive) == 0) {
            entry = &t;
            break;
        }
    if (!entry) {
        tables.append(TriggerTable{relation.table, {}, {}, {}});
        entry = &tables.last();
    }

    const QString& ft = relation.foreignTable;
    QString update = kCrLf + QStringLiteral("UPDATE ") + ft + QStringLiteral(" SET ");
    QString where = QStringLiteral(" WHERE ");
    QString del = kCrLf + QStringLiteral("DELETE FROM ") + ft + QStringLiteral(" FROM DELETED");
    bool first = true;
    for (const accessdb::RelationField& pair : relation.fields) {
        if (!containsCi(entry->conditionFields, pair.name))
            entry->conditionFields << pair.name;
        const QString p = q + pair.name + q;
        const QString f = q + pair.foreignName + q;
        update +=
            (first ? QString() : QStringLiteral(",")) + ft + QLatin1Char('.') + f + QStringLiteral("=INSERTED.") + p;
        where +=
            (first ? QString() : QStringLiteral(" AND ")) + ft + QLatin1Char('.') + f + QStringLiteral("=DELETED.") + p;
        first = false;
    }
    update += QStringLiteral(" FROM INSERTED,DELETED") + where;
    del += where;
    if (relation.attributes & accessdb::kRelationCascadeUpdate)
        entry->updateStatements << update;
    if (relation.attributes & accessdb::kRelationCascadeDelete)
        entry->deleteStatements << del;
}

QString TriggerTable::updateTrigger(const TextOptions& o) const
{
    const QString q = triggerFieldQuote(o);
    QString condition = kCrLf + QStringLiteral("IF");
    for (qsizetype i = 0; i < conditionFields.size(); ++i)
        condition += (i > 0 ? QStringLiteral(" OR") : QString()) + QStringLiteral(" UPDATE(") + q + conditionFields[i] +
                     q + QLatin1Char(')');
    condition += kCrLf + QStringLiteral("BEGIN");
    QString trigger = QStringLiteral("CREATE TRIGGER u") + table + QStringLiteral(" ON ") + table +
                      QStringLiteral(" FOR UPDATE AS") + condition;
    for (const QString& s : updateStatements)
        trigger += s;
    return trigger + kCrLf + QStringLiteral("END");
}

QString TriggerTable::deleteTrigger() const
{
    QString trigger =
        QStringLiteral("CREATE TRIGGER d") + table + QStringLiteral(" ON ") + table + QStringLiteral(" FOR DELETE AS");
    for (const QString& s : deleteStatements)
        trigger += s;
    return trigger;
}

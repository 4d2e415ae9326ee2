#pragma once
#include "dataaccess/AccessDatabase.h"
#include "diag/TextOptions.h"

#include <QList>
#include <QString>
#include <QStringList>

// The cascade triggers of one primary table, collected from its relationships.
struct TriggerTable {
    QString table;                 // as first met; later relationships match it ignoring case
    QStringList updateStatements;  // one per relationship with cascading update, each led by CR LF
    QStringList deleteStatements;  // one per relationship with cascading delete, each led by CR LF
    QStringList conditionFields;   // primary-side fields of all its relationships, distinct ignoring case

    QString updateTrigger(const TextOptions& o) const;  // complete, with the closing END
    QString deleteTrigger() const;
    QString dropUpdateTrigger() const { return QStringLiteral("DROP TRIGGER u") + table; }
    QString dropDeleteTrigger() const { return QStringLiteral("DROP TRIGGER d") + table; }
};

// Adds one relationship to the tables collected so far (a new entry for a new primary table).
void collectRelation(QList<TriggerTable>& tables, const accessdb::Relation& relation, const TextOptions& o);

// Field names are quoted with double quotes except on Sybase; table names never.
QString triggerFieldQuote(const TextOptions& o);

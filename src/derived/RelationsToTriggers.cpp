#include "dataaccess/AccessDatabase.h"
#include "derived/DerivedObjects.h"
#include "derived/TriggerBuilding.h"
#include "derived/ViewRewriting.h"
#include "diag/ConversionWindowContext.h"
#include "diag/Guard.h"
#include "diag/Module1.h"
#include "diag/Session.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace {

// A failure shows in the list, indented, and the next statement follows.
auto listed(ConversionWindowContext& window)
{
    return [&window](const rt::RuntimeError& e) {
        for (const QString& piece : reportPieces(e.description(), 70))
            window.addToList1(QLatin1Char('\t') + piece);
        return diag::AfterFailure::Next;
    };
}

// A table met for the first time has no triggers yet: a failed drop changes nothing.
void dropIgnoringFailure(QString statement)
{
    diag::guarded(diag::nextStatement, [&] { SQL_Ausfuehren(statement); });
}

void create(ConversionWindowContext& window, QString statement)
{
    diag::guarded(listed(window), [&] { SQL_Ausfuehren(statement); });
}

void buildTriggers(ConversionWindowContext& window)
{
    accessdb::Database* db = window.database();
    if (!db)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    const ServerKind kind = window.textOptions().kind;

    QList<TriggerTable> tables;
    for (const accessdb::Relation& r : db->relations()) {
        window.setStatus(QStringLiteral("Beziehungs-Informationen einlesen: ") + r.name);
        collectRelation(tables, r, kind);
    }

    qint32 count = qint32(tables.size());
    Fortschritt_Start(count);
    for (qint32 i = 0; i < qint32(tables.size()); ++i) {
        const TriggerTable& t = tables[i];
        Fortschritt_Setzen(i);
        window.addToList1(t.table);
        for (const QString& s : t.updateStatements) {
            window.addToList1(s);
            window.processEvents();
        }
        for (const QString& s : t.deleteStatements) {
            window.addToList1(s);
            window.processEvents();
        }
        window.setStatus(QStringLiteral("lösche eventuell vorhandene Trigger..."));
        dropIgnoringFailure(t.dropUpdateTrigger());
        dropIgnoringFailure(t.dropDeleteTrigger());
        window.setStatus(QStringLiteral("Erzeuge neue Trigger..."));
        if (!t.updateStatements.isEmpty())
            create(window, t.updateTrigger(kind));
        if (!t.deleteStatements.isEmpty())
            create(window, t.deleteTrigger());
        window.setStatus(QStringLiteral("Bereit."));
    }
}

}  // namespace

void Beziehungen_nach_Trigger(ConversionWindowContext& window)
{
    if (rt::val(window.textMod()) != 1)
        return;  // only machine 1 converts the relationships
    window.Schalter_Freigeben(false);
    window.clearList1();
    // Reading the relationships failed: shown like a failed create, and the window is usable again.
    diag::guarded(listed(window), [&] { buildTriggers(window); });
    // Without a main window there is no progress display to end.
    diag::guarded(diag::nextStatement, [] { Fortschritt_Setzen(0); });
    window.Schalter_Freigeben(true);
}

#include "dataaccess/AccessDatabase.h"
#include "derived/DerivedObjects.h"
#include "derived/TriggerBuilding.h"
#include "derived/ViewRewriting.h"
#include "diag/ConversionWindowContext.h"
#include "diag/Guard.h"
#include "diag/Progress.h"
#include "diag/StatementRunner.h"
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
void dropIgnoringFailure(ConversionWindowContext& window, diag::StatementRunner& runner, QString statement)
{
    diag::guarded(diag::nextStatement, [&] { runner.execute(statement, window.textOptions()); });
}

void create(ConversionWindowContext& window, diag::StatementRunner& runner, QString statement)
{
    diag::guarded(listed(window), [&] { runner.execute(statement, window.textOptions()); });
}

void buildTriggers(ConversionWindowContext& window, diag::StatementRunner& runner, diag::Progress& progress)
{
    accessdb::Database* db = window.database();
    if (!db)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    const TextOptions o = window.textOptions();

    QList<TriggerTable> tables;
    for (const accessdb::Relation& r : db->relations()) {
        window.setStatus(QStringLiteral("Beziehungs-Informationen einlesen: ") + r.name);
        collectRelation(tables, r, o);
    }

    qint32 count = qint32(tables.size());
    progress.start(count);
    for (qint32 i = 0; i < qint32(tables.size()); ++i) {
        const TriggerTable& t = tables[i];
        progress.set(i);
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
        dropIgnoringFailure(window, runner, t.dropUpdateTrigger());
        dropIgnoringFailure(window, runner, t.dropDeleteTrigger());
        window.setStatus(QStringLiteral("Erzeuge neue Trigger..."));
        if (!t.updateStatements.isEmpty())
            create(window, runner, t.updateTrigger(o));
        if (!t.deleteStatements.isEmpty())
            create(window, runner, t.deleteTrigger());
        window.setStatus(QStringLiteral("Bereit."));
    }
}

}  // namespace

void Beziehungen_nach_Trigger(ConversionWindowContext& window, diag::StatementRunner& runner, diag::Progress& progress)
{
    if (rt::val(window.textMod()) != 1)
        return;  // only machine 1 converts the relationships
    window.Schalter_Freigeben(false);
    window.clearList1();
    // Reading the relationships failed: shown like a failed create, and the window is usable again.
    diag::guarded(listed(window), [&] { buildTriggers(window, runner, progress); });
    // Without a main window there is no progress display to end.
    diag::guarded(diag::nextStatement, [&] { progress.set(0); });
    window.Schalter_Freigeben(true);
}

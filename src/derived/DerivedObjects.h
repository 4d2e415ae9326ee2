#pragma once
#include "diag/TextOptions.h"

#include <QString>

class ConversionWindowContext;
namespace diag {
class Progress;
class StatementRunner;
}  // namespace diag

// What the view creation did, for the run's report.
struct ViewsOutcome {
    qint64 notCreated = 0;  // views not created
    bool failed = false;    // a warning was given: the run counts as failed (FehlerAufgetreten)
};

// "Abfragen -> Sichten": every query of the open Access database becomes a view.
ViewsOutcome Abfragen_nach_Sichten(ConversionWindowContext& window, diag::StatementRunner& runner,
                                   diag::Progress& progress);

// "Beziehungen -> Trigger": cascading relationships become update and delete triggers.
void Beziehungen_nach_Trigger(ConversionWindowContext& window, diag::StatementRunner& runner, diag::Progress& progress);

// Rewrites an Access query for the options' server kind, drops an older view and creates the new
// one on the runner's connection.
// query returns the statement sent; message is empty on success, else "Warnung: " + number + text.
// True when the view was created; a view that is not is counted in outcome, also when a failure
// is raised to the caller.
bool Create_View(const QString& name, QString& query, QString& message, diag::StatementRunner& runner,
                 const TextOptions& o, ViewsOutcome& outcome);

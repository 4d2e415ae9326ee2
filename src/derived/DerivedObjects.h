#pragma once
#include <QString>

class ConversionWindowContext;

// "Abfragen -> Sichten": every query of the open Access database becomes a view.
void Abfragen_nach_Sichten(ConversionWindowContext& window);

// "Beziehungen -> Trigger": cascading relationships become update and delete triggers.
void Beziehungen_nach_Trigger(ConversionWindowContext& window);

// Rewrites an Access query for the server kind, drops an older view and creates the new one.
// query returns the statement sent; message is empty on success, else "Warnung: " + number + text.
// True when the view was created; a view that is not is counted in the run's report.
bool Create_View(const QString& name, QString& query, QString& message);

#pragma once
#include "diag/TextOptions.h"

#include <QString>
#include <QStringList>

// The statements that turn one Access query into a view on a server kind, built without a server.
struct ViewStatements {
    QString name;             // the name the final drop and create use (30 characters on Oracle and DB2)
    QString preliminaryDrop;  // DB2 only (but not for its four production views); empty otherwise
    QString drop;
    QString create;  // "CREATE VIEW " + name + " AS " + rewritten text
    // Why the text could not be rewritten; then drop and create are empty and nothing is sent.
    QString notConvertible;

    bool convertible() const { return notConvertible.isEmpty(); }
};

// Rewrites the Access text for the server kind, in the fixed order of the rewriting steps.
ViewStatements rewriteView(const QString& name, const QString& accessQuery, const TextOptions& o);

// True when a failed DROP VIEW only says that there was no such view yet (a new view).
bool dropFoundNoView(const QString& description);

// Pieces of a report text: pieces 0 to length / width, each the next width characters, so a text
// whose length is a multiple of width ends with an empty piece, as the lists always showed.
QStringList reportPieces(const QString& text, int width);

#pragma once
// Builds a writer database from the JSON description that `mdbgen build` reads
// (format: tests/support/README.md).
#include "MdbWriter.h"

#include <QByteArray>

namespace mdbw {

// Fills db from the JSON text. Raises Error naming the place of a mistake.
void loadDescription(const QByteArray& json, Database& db);

// The value of one generated cell for a "generate" pattern entry, for the 0-based row number.
// Exposed so that callers (and tests) can see what a pattern produces.
QVariant patternValue(const QVariant& pattern, int fieldType, qint64 rowNumber);

}  // namespace mdbw

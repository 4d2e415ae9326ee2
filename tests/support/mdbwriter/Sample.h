#pragma once
#include <QString>

namespace mdbw {

// Writes the sample database DIR/ZABRIX.MDB and the XDB document DIR/ZAB.XDB of the next release.
void writeSample(const QString& dir);

// The XDB document's text (before conversion to Windows-1252 with CR LF line ends).
QString sampleXdbText();
// The same release without the field renamings and indexes, which only Microsoft SQL Server and
// Sybase carry out: the document of the demo on an SQLite database.
QString demoXdbText();

}  // namespace mdbw

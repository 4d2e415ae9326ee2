#pragma once
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

// Printing shared by the dialog services.
namespace printing {

// Lines of text, one per line, with new pages as needed.
void printLines(QPrinter& printer, const QStringList& lines);
// A window as it looks now, scaled to fit the page.
void printWidget(QPrinter& printer, QWidget* widget);

// A printer for a PDF file: pdfFolder (created when missing) + "Dorvex-Druck-<date-time>.pdf",
// numbered when that name exists. Returns the file's path.
QString preparePdfPrinter(QPrinter& printer, const QString& pdfFolder);

// Where printouts go when no printer is installed: the user's documents folder, else the home folder.
QString defaultPdfFolder();

}  // namespace printing

#pragma once
#include "diag/DialogService.h"

// The dialogs of the program on a display: Qt message boxes, the file-open dialog and printing.
// Printing goes to the default printer; when no printer is installed, into a PDF file in
// pdfFolder() and a message names the file.
class QtDialogService : public DialogService {
public:
    void message(const QString& text, const QString& title = QString(), Icon icon = Icon::None) override;
    bool askYesNo(const QString& text, const QString& title = QString(), bool safeAnswer = false) override;
    QString openFile(const QString& initialPath, const QString& filter) override;
    void printLines(const QStringList& lines) override;
    void printWidget(QWidget* widget) override;

    // Where PDF printouts go; the user's documents folder unless set.
    QString pdfFolder() const;
    void setPdfFolder(const QString& folder) { m_pdfFolder = folder; }
    // Print to a PDF even when a printer exists (tests, or a machine without a usable printer).
    void setAlwaysPdf(bool on) { m_alwaysPdf = on; }
    QString lastPdfFile() const { return m_lastPdf; }

private:
    template <class PrintFn>
    void print(PrintFn&& fn);

    QString m_pdfFolder;
    bool m_alwaysPdf = false;
    QString m_lastPdf;
};

// The title a message box gets: the program's title when none is given.
QString dialogTitle(const QString& title);

// Translates a filter of the form "Description|*.MDB|Other|*.a;*.b" into Qt's form
// "Description (*.MDB *.mdb);;Other (*.a *.A *.b *.B)". Patterns are offered in both letter cases
// (file names here are case-sensitive) and "*.*" means every file.
QString translateFileFilter(const QString& filter);

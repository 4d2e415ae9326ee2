#pragma once
#include "diag/DialogService.h"

#include <cstdio>

// The dialogs of a run without a display: nobody can answer, so messages go to standard error
// (title, then text), questions get the answer that changes nothing, a file dialog keeps the
// given path, and printouts become PDF files in the user's documents folder (named on stderr).
class ConsoleDialogService : public DialogService {
public:
    explicit ConsoleDialogService(std::FILE* out = stderr) : m_out(out) {}

    void message(const QString& text, const QString& title = QString(), Icon icon = Icon::None) override;
    bool askYesNo(const QString& text, const QString& title = QString(), bool safeAnswer = false) override;
    QString openFile(const QString& initialPath, const QString& filter) override;
    void printLines(const QStringList& lines) override;
    void printWidget(QWidget* widget) override;
    bool userPresent() const override { return false; }
    void mirror(const QString& prefix, const QString& text) override;

    void setPdfFolder(const QString& folder) { m_pdfFolder = folder; }

private:
    void write(const QString& text);
    QString pdfFolder() const;

    std::FILE* m_out;
    QString m_pdfFolder;
};

#include "app/ConsoleDialogService.h"
#include "app/Printing.h"
#include "app/QtDialogService.h"

#include <QPrinter>

void ConsoleDialogService::write(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = t.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

void ConsoleDialogService::mirror(const QString& prefix, const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    QByteArray bytes;
    for (const QString& line : t.split(u'\n'))
        bytes += (prefix + line).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

QString ConsoleDialogService::pdfFolder() const
{
    return m_pdfFolder.isEmpty() ? printing::defaultPdfFolder() : m_pdfFolder;
}

void ConsoleDialogService::message(const QString& text, const QString& title, Icon)
{
    write(dialogTitle(title) + QStringLiteral(": ") + text);
}

bool ConsoleDialogService::askYesNo(const QString& text, const QString& title, bool safeAnswer)
{
    write(dialogTitle(title) + QStringLiteral(": ") + text + QStringLiteral(" -> ") +
          (safeAnswer ? QStringLiteral("Ja") : QStringLiteral("Nein")));
    return safeAnswer;
}

QString ConsoleDialogService::openFile(const QString& initialPath, const QString&) { return initialPath; }

void ConsoleDialogService::printLines(const QStringList& lines)
{
    QPrinter printer(QPrinter::HighResolution);
    const QString path = printing::preparePdfPrinter(printer, pdfFolder());
    printing::printLines(printer, lines);
    write(dialogTitle(QString()) + QStringLiteral(": Ausdruck gespeichert: ") + path);
}

void ConsoleDialogService::printWidget(QWidget* widget)
{
    QPrinter printer(QPrinter::HighResolution);
    const QString path = printing::preparePdfPrinter(printer, pdfFolder());
    printing::printWidget(printer, widget);
    write(dialogTitle(QString()) + QStringLiteral(": Ausdruck gespeichert: ") + path);
}

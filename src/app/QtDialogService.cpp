#include "app/QtDialogService.h"
#include "app/Printing.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>

QString dialogTitle(const QString& title) { return title.isEmpty() ? QStringLiteral("Dorvex") : title; }

QString translateFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& raw : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString p = raw.trimmed();
            if (p == QLatin1String("*.*") || p == QLatin1String("*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            for (const QString& variant : {p, p.toLower(), p.toUpper()})
                if (!patterns.contains(variant))
                    patterns << variant;
        }
        entries << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    if (entries.isEmpty() && !filter.isEmpty())
        return filter;
    return entries.join(QStringLiteral(";;"));
}

namespace {
QMessageBox::Icon toQt(DialogService::Icon icon)
{
    switch (icon) {
    case DialogService::Icon::None: return QMessageBox::NoIcon;
    case DialogService::Icon::Information: return QMessageBox::Information;
    case DialogService::Icon::Exclamation: return QMessageBox::Warning;
    case DialogService::Icon::Critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

void QtDialogService::message(const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(toQt(icon), dialogTitle(title), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QtDialogService::askYesNo(const QString& text, const QString& title, bool)
{
    QMessageBox box(QMessageBox::Question, dialogTitle(title), text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogService::openFile(const QString& initialPath, const QString& filter)
{
    const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), dialogTitle(QString()),
                                                        initialPath, translateFileFilter(filter));
    return chosen.isEmpty() ? initialPath : chosen;
}

QString QtDialogService::pdfFolder() const
{
    return m_pdfFolder.isEmpty() ? printing::defaultPdfFolder() : m_pdfFolder;
}

template <class PrintFn>
void QtDialogService::print(PrintFn&& fn)
{
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (!m_alwaysPdf && !defaultPrinter.isNull()) {
        QPrinter printer(defaultPrinter, QPrinter::HighResolution);
        fn(printer);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    m_lastPdf = printing::preparePdfPrinter(printer, pdfFolder());
    fn(printer);
    if (!m_alwaysPdf)
        message(QStringLiteral("Es ist kein Drucker eingerichtet. Der Ausdruck wurde als PDF-Datei gespeichert:\r\n") +
                    m_lastPdf,
                QString(), Icon::Information);
}

void QtDialogService::printLines(const QStringList& lines)
{
    print([&](QPrinter& p) { printing::printLines(p, lines); });
}

void QtDialogService::printWidget(QWidget* widget)
{
    print([&](QPrinter& p) { printing::printWidget(p, widget); });
}

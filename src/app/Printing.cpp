#include "app/Printing.h"
#include "runtime/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QStandardPaths>
#include <QWidget>

namespace printing {

void printLines(QPrinter& printer, const QStringList& lines)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    painter.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    const QFontMetrics fm(painter.font(), &printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int lineHeight = fm.lineSpacing();
    int y = fm.ascent();
    for (const QString& line : lines) {
        if (y + fm.descent() > page.height() && y != fm.ascent()) {
            printer.newPage();
            y = fm.ascent();
        }
        painter.drawText(0, y, line);
        y += lineHeight;
    }
    painter.end();
}

void printWidget(QPrinter& printer, QWidget* widget)
{
    if (!widget)
        return;
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSize size = widget->size();
    if (size.width() > 0 && size.height() > 0) {
        const double scale = std::min(double(page.width()) / size.width(), double(page.height()) / size.height());
        painter.scale(scale, scale);
        widget->render(&painter);
    }
    painter.end();
}

QString preparePdfPrinter(QPrinter& printer, const QString& pdfFolder)
{
    QDir().mkpath(pdfFolder);
    const QString stamp = rt::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = QDir(pdfFolder).filePath(QStringLiteral("Dorvex-Druck-%1.pdf").arg(stamp));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(pdfFolder).filePath(QStringLiteral("Dorvex-Druck-%1-%2.pdf").arg(stamp).arg(n));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return path;
}

QString defaultPdfFolder()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QFileInfo(docs).isDir())
        return docs;
    return QDir::homePath();
}

}  // namespace printing

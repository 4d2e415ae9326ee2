#include "dataaccess/mdb/LibmdbMessages.h"

#include <QRegularExpression>

#include <cstdio>
#include <string>

namespace accessdb::mdb {

namespace {

std::string& buffer()
{
    static std::string text;
    return text;
}

ssize_t appendToBuffer(void*, const char* data, size_t size)
{
    // A flood of complaints about one broken file must not eat the memory.
    if (buffer().size() < 64 * 1024)
        buffer().append(data, size);
    return ssize_t(size);
}

FILE* captureStream()
{
    static FILE* stream = [] {
        cookie_io_functions_t io{};
        io.write = appendToBuffer;
        FILE* f = fopencookie(nullptr, "w", io);
        if (f)
            setvbuf(f, nullptr, _IONBF, 0);
        return f;
    }();
    return stream;
}

int depth = 0;
FILE* saved = nullptr;

}  // namespace

MessageCapture::MessageCapture()
{
    if (depth++ == 0) {
        saved = stderr;
        if (FILE* f = captureStream())
            stderr = f;
    }
}

MessageCapture::~MessageCapture()
{
    if (--depth == 0)
        stderr = saved;
}

bool libmdbMessagesPending() { return !buffer().empty(); }

QString takeLibmdbMessages()
{
    const QString text = QString::fromLocal8Bit(buffer().data(), qsizetype(buffer().size())).trimmed();
    buffer().clear();
    return text;
}

QString germanLibmdbMessage(const QString& line)
{
    static const QRegularExpression foreignPage(QStringLiteral("page (\\d+) from map doesn't match"));
    static const QRegularExpression unreadablePage(QStringLiteral("reading page (\\d+) failed"));
    static const QRegularExpression fieldLocation(QStringLiteral("Invalid data location.*Column:\\s*(\\d+)"));
    QRegularExpressionMatch m = foreignPage.match(line);
    if (m.hasMatch())
        return QStringLiteral("die Belegungstabelle nennt Seite %1, die keine Datenseite der Tabelle ist")
            .arg(m.captured(1));
    if ((m = unreadablePage.match(line)).hasMatch())
        return QStringLiteral("Seite %1 ist nicht lesbar").arg(m.captured(1));
    if ((m = fieldLocation.match(line)).hasMatch())
        return QStringLiteral("der Wert von Feld %1 liegt außerhalb des Datensatzes").arg(m.captured(1));
    return QStringLiteral("Meldung der Access-Bibliothek: \"%1\"").arg(line.trimmed());
}

}  // namespace accessdb::mdb

#include "runtime/TextFile.h"
#include "runtime/Cp1252.h"
#include "runtime/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace rt {

static RuntimeError openFailure(const QString& path)
{
    const QFileInfo info(path);
    if (path.trimmed().isEmpty())
        return runtimeFailure(err::BadFileName);
    if (!info.absoluteDir().exists())
        return runtimeFailure(err::PathNotFound);
    if (!info.exists())
        return runtimeFailure(err::FileNotFound);
    return runtimeFailure(err::PermissionDenied);
}

static bool isUtf8BeyondAscii(const QByteArray& data)
{
    bool beyondAscii = false;
    for (char c : data)
        beyondAscii = beyondAscii || (static_cast<unsigned char>(c) & 0x80);
    if (!beyondAscii)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder(data);
    return !decoder.hasError();
}

Cp1252LineReader::Cp1252LineReader(const QString& path, bool acceptUtf8)
{
    QFile f(path);
    if (QFileInfo(path).isDir() || !f.open(QIODevice::ReadOnly))
        throw openFailure(path);
    data_ = f.readAll();
    if (!acceptUtf8)
        return;
    if (data_.startsWith("\xEF\xBB\xBF")) {
        utf8_ = true;
        pos_ = 3;  // the byte-order mark is no text
    } else {
        utf8_ = isUtf8BeyondAscii(data_);
    }
}

bool Cp1252LineReader::atEnd() const { return pos_ >= data_.size(); }

QString Cp1252LineReader::readLine()
{
    if (atEnd())
        throw runtimeFailure(err::InputPastEnd);
    qint64 end = pos_;
    while (end < data_.size() && data_[end] != '\r' && data_[end] != '\n')
        ++end;
    const QByteArray bytes = data_.mid(pos_, end - pos_);
    const QString line = utf8_ ? QString::fromUtf8(bytes) : fromCp1252(bytes);
    pos_ = end;
    if (pos_ < data_.size() && data_[pos_] == '\r')
        ++pos_;
    if (pos_ < data_.size() && data_[pos_] == '\n')
        ++pos_;
    return line;
}

void appendCp1252Lines(const QString& path, const QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        throw openFailure(path);
    QByteArray bytes;
    for (const QString& l : lines) {
        bytes += toCp1252(l);
        bytes += "\r\n";
    }
    if (f.write(bytes) != bytes.size())
        throw runtimeFailure(err::PermissionDenied);
}

}  // namespace rt

#pragma once
#include <QFile>
#include <QString>
#include <QStringList>

namespace rt {

// Reads a Windows-1252 text file line by line, as the old sequential input did: a line ends at
// CR LF, at a lone CR or at a lone LF. Failures raise RuntimeError 53 (file not found),
// 76 (path not found) or 52, and 62 when reading past the end.
// With acceptUtf8, a file that starts with a UTF-8 byte-order mark, or that is valid UTF-8 and holds
// characters beyond ASCII, is read as UTF-8 (documents saved by today's editors); Windows-1252
// stays the default.
class Cp1252LineReader {
public:
    explicit Cp1252LineReader(const QString& path, bool acceptUtf8 = false);
    bool atEnd() const;
    QString readLine();
    qint64 position() const { return pos_; }  // bytes consumed so far
    qint64 size() const { return data_.size(); }
    bool isUtf8() const { return utf8_; }
    bool holdsNul() const { return data_.contains('\0'); }  // no text file does

private:
    QByteArray data_;
    qint64 pos_ = 0;
    bool utf8_ = false;
};

// Appends lines in Windows-1252, each ended by CR LF; the file is created when missing.
// Raises RuntimeError on failure.
void appendCp1252Lines(const QString& path, const QStringList& lines);

}  // namespace rt

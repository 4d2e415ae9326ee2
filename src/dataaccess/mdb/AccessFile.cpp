#include "dataaccess/mdb/AccessFile.h"

#include "dataaccess/mdb/LibmdbMessages.h"
#include "dataaccess/mdb/ValueDecoder.h"
#include "runtime/Cp1252.h"
#include "runtime/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <vector>

namespace accessdb::mdb {

namespace {
const QString kSource = QStringLiteral("DAO.Database");

quint32 u32(const QByteArray& b, int off)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + off;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint16 u16(const QByteArray& b, int off)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + off;
    return quint16(p[0] | p[1] << 8);
}
quint32 u32(const char* d)
{
    const auto* p = reinterpret_cast<const unsigned char*>(d);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
}  // namespace

bool propertyBlockIsSound(const QByteArray& b)
{
    // "KKD" (Jet 3) or "MR2" (Jet 4 and later), then chunks: int32 length, int16 kind, data.
    // Kind 0x80 lists the property names (int16 length + name each); kinds 0 and 1 hold the
    // values of one object or column: int32, int16 name length, name, then entries of int16
    // length, flags byte, type byte, int16 name number, int16 data length, data.
    if (b.size() < 4 || !(b.startsWith(QByteArray("KKD\0", 4)) || b.startsWith(QByteArray("MR2\0", 4))))
        return false;
    const qsizetype size = b.size();
    qsizetype pos = 4;
    int names = -1;
    while (pos < size) {
        if (pos + 6 > size)
            return false;
        const quint32 len = u32(b, int(pos));
        const int kind = u16(b, int(pos) + 4);
        if (len < 6 || pos + qint64(len) > size)
            return false;
        const qsizetype end = pos + len;
        qsizetype p = pos + 6;
        if (kind == 0x80) {
            names = 0;
            while (p < end) {
                if (p + 2 > end || p + 2 + u16(b, int(p)) > end)
                    return false;
                p += 2 + u16(b, int(p));
                ++names;
            }
        } else if (kind == 0x00 || kind == 0x01) {
            if (names < 0 || p + 6 > end || p + 6 + u16(b, int(p) + 4) > end)
                return false;
            p += 6 + u16(b, int(p) + 4);
            while (p < end) {
                if (p + 8 > end)
                    return false;
                const int entry = u16(b, int(p));
                if (entry < 8 || p + entry > end || u16(b, int(p) + 4) >= names || 8 + u16(b, int(p) + 6) > entry)
                    return false;
                p += entry;
            }
        } else {
            return false;
        }
        pos = end;
    }
    return true;
}

void throwFileNotFound(const QString& path)
{
    throw rt::RuntimeError(rt::err::AccessFileNotFound, kSource,
                           QStringLiteral("Die Datei '%1' wurde nicht gefunden.").arg(path));
}

void throwCannotRead(const QString& path, const QString& reason)
{
    throw rt::RuntimeError(rt::err::AccessFileNotFound, kSource,
                           QStringLiteral("Die Datei '%1' kann nicht geöffnet werden: %2").arg(path, reason));
}

void throwNotAnAccessFile(const QString& path)
{
    throw rt::RuntimeError(rt::err::AccessNotAnAccessFile, kSource,
                           QStringLiteral("Nicht erkanntes Datenbankformat '%1': die Datei ist keine "
                                          "Access-Datenbank.")
                               .arg(path));
}

void throwDamaged(const QString& path, const QString& detail)
{
    throw rt::RuntimeError(rt::err::AccessDamaged, kSource,
                           QStringLiteral("Die Datenbank '%1' ist beschädigt und kann nicht gelesen werden "
                                          "(%2). Reparieren Sie sie mit Access oder nehmen Sie eine "
                                          "Sicherungskopie.")
                               .arg(path, detail));
}

AccessFile::AccessFile(const QString& path, WarningSink warnings) : path_(path), warnings_(std::move(warnings))
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        throwFileNotFound(path);
    if (!info.isFile())
        throwCannotRead(path, QStringLiteral("es ist keine Datei."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwCannotRead(path, file.errorString());

    // The header page: 00 01 00 00 "Standard Jet DB" / "Standard ACE DB", the version at 0x14.
    const QByteArray head = file.read(2048);
    if (head.size() < 0x18 || u32(head, 0) != 0x100u ||
        !(std::memcmp(head.constData() + 4, "Standard Jet DB", 15) == 0 ||
          std::memcmp(head.constData() + 4, "Standard ACE DB", 15) == 0))
        throwNotAnAccessFile(path);
    const quint32 version = u32(head, 0x14);
    if (version > MDB_VER_ACCDB_2019)
        throwNotAnAccessFile(path);
    jet3_ = version == MDB_VER_JET3;
    pageSize_ = jet3_ ? 2048 : 4096;
    const qint64 size = file.size();
    pageCount_ = quint32(qMin<qint64>(size / pageSize_, 0x7FFFFFFF));
    // Page 0 header, page 1 and the catalog's table definition on page 2 at the least.
    if (pageCount_ < 3)
        throwDamaged(path, QStringLiteral("die Datei ist zu kurz"));
    file.close();

    {
        MessageCapture capture;
        mdb_ = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    }
    if (!mdb_) {
        const QString said = takeLibmdbMessages();
        throwCannotRead(path, said.isEmpty() ? QStringLiteral("sie ist nicht lesbar.") : germanLibmdbMessage(said));
    }
    forwardLibmdbMessages([&] { return QStringLiteral("beim Öffnen"); });
    if (mdb_->fmt->pg_size != pageSize_) {
        mdb_close(mdb_);
        mdb_ = nullptr;
        throwDamaged(path, QStringLiteral("unerwartete Seitengröße"));
    }
}

AccessFile::~AccessFile()
{
    MessageCapture capture;
    entries_.clear();
    if (mdb_)
        mdb_close(mdb_);
    takeLibmdbMessages();  // nothing of the file is read any more
}

void AccessFile::raiseLibmdbMessages(const QString& where) const
{
    const QString said = takeLibmdbMessages();
    damaged(where + QStringLiteral(": ") + germanLibmdbMessage(said.section(QLatin1Char('\n'), 0, 0)));
}

void AccessFile::forwardLibmdbMessagesAt(const QString& where) const
{
    const QStringList lines = takeLibmdbMessages().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!warnings_)
        return;
    for (const QString& line : lines)
        warnings_(QStringLiteral("Access-Datenbank '%1', %2: %3").arg(path_, where, germanLibmdbMessage(line)));
}

void AccessFile::EntryDeleter::operator()(MdbCatalogEntry* e) const
{
    if (e->props) {
        for (guint i = 0; i < e->props->len; ++i)
            mdb_free_props(static_cast<MdbProperties*>(g_ptr_array_index(e->props, i)));
        g_ptr_array_free(e->props, TRUE);
    }
    g_free(e);
}

MdbCatalogEntry* AccessFile::addEntry(const QString& name, int type, quint32 tdefPage, quint32 flags,
                                      const QByteArray& lvProp)
{
    auto* e = static_cast<MdbCatalogEntry*>(g_malloc0(sizeof(MdbCatalogEntry)));
    e->mdb = mdb_;
    const QByteArray utf8 = name.toUtf8().left(MDB_MAX_OBJ_NAME);
    std::memcpy(e->object_name, utf8.constData(), size_t(utf8.size()));
    e->object_type = type;
    e->table_pg = tdefPage;
    e->flags = int(flags);
    entries_.emplace_back(e);
    if (!lvProp.isEmpty()) {
        // libmdb walks the block by the lengths it contains; a zero length makes it loop for ever.
        if (!propertyBlockIsSound(lvProp))
            damaged(QStringLiteral("Eigenschaften von '%1'").arg(name));
        MessageCapture capture;
        e->props = mdb_kkd_to_props(mdb_, const_cast<char*>(lvProp.constData()), size_t(lvProp.size()));
        forwardLibmdbMessages([&] { return QStringLiteral("Eigenschaften von '%1'").arg(name); });
    }
    return e;
}

QByteArray AccessFile::readPage(quint32 page) const
{
    if (!pageExists(page))
        damaged(QStringLiteral("Verweis auf Seite %1 außerhalb der Datei").arg(page));
    MessageCapture capture;
    const bool whole = mdb_read_alt_pg(mdb_, page) == pageSize_;
    raiseOnLibmdbMessages([&] { return QStringLiteral("Seite %1").arg(page); });
    if (!whole)
        damaged(QStringLiteral("Seite %1 nicht lesbar").arg(page));
    return QByteArray(reinterpret_cast<const char*>(mdb_->alt_pg_buf), pageSize_);
}

bool AccessFile::rowBounds(const QByteArray& page, int row, int& start, int& end) const
{
    if (page.size() != pageSize_ || static_cast<unsigned char>(page[0]) != 0x01)
        return false;
    const int rco = mdb_->fmt->row_count_offset;
    const int rows = u16(page, rco);
    if (row < 0 || row >= rows || rco + 2 + 2 * rows > pageSize_)
        return false;
    const quint16 slot = u16(page, rco + 2 + 2 * row);
    if (slot & 0xC000)  // deleted, or a pointer to the row's new place
        return false;
    start = slot & 0x1FFF;
    end = row == 0 ? pageSize_ : (u16(page, rco + 2 * row) & 0x1FFF);
    return start >= rco + 2 + 2 * rows && start <= end && end <= pageSize_;
}

QByteArray AccessFile::readLongValue(const char* field, int size) const
{
    if (size < 12)
        damaged(QStringLiteral("Kopf eines Memo- oder OLE-Werts fehlt"));
    const quint32 head = u32(field);
    const quint32 length = head & 0x3FFFFFFF;
    if (head & 0x80000000u) {  // stored in the row itself
        return QByteArray(field + 12, int(qMin<quint32>(length, quint32(size - 12))));
    }
    // No value can be longer than the file that holds it.
    if (qint64(length) > qint64(pageCount_) * pageSize_)
        damaged(QStringLiteral("Länge eines Memo- oder OLE-Werts"));
    quint32 pgRow = u32(field + 4);
    QByteArray out;
    if (head & 0x40000000u) {  // one row on one page
        const QByteArray page = readPage(pgRow >> 8);
        int s, e;
        if (!rowBounds(page, int(pgRow & 0xFF), s, e))
            damaged(QStringLiteral("Memo- oder OLE-Wert nicht auffindbar"));
        out = page.mid(s, qMin<int>(e - s, int(length)));
        return out;
    }
    if ((head & 0xC0000000u) != 0)
        damaged(QStringLiteral("Art eines Memo- oder OLE-Werts"));
    // A chain of rows, each starting with the page/row of the next one.
    out.reserve(int(length));
    // Every hop adds at least one byte, so the declared length bounds the walk.
    while (quint32(out.size()) < length) {
        if (pgRow == 0)
            damaged(QStringLiteral("Kette eines Memo- oder OLE-Werts unterbrochen"));
        const QByteArray page = readPage(pgRow >> 8);
        int s, e;
        if (!rowBounds(page, int(pgRow & 0xFF), s, e) || e - s <= 4)
            damaged(QStringLiteral("Teil eines Memo- oder OLE-Werts nicht auffindbar"));
        pgRow = u32(page, s);
        out.append(page.constData() + s + 4, qMin<int>(e - s - 4, int(length - quint32(out.size()))));
    }
    return out;
}

QString AccessFile::decodeText(const char* data, int size) const
{
    QString s;
    decodeText(data, size, s);
    return s;
}

void AccessFile::decodeText(const char* data, int size, QString& out) const
{
    if (size <= 0) {
        out.resize(0);
        return;
    }
    if (!jet3_) {
        jet4Text(data, size, out);
        return;
    }
    const guint16 cp = mdb_->f->code_page;
    if (cp == 0 || cp == 1252) {
        out = rt::fromCp1252(QByteArray::fromRawData(data, size));
        return;
    }
    // Other code pages: libmdb's converter knows the file's code page.
    std::vector<char> buf(size_t(size) * 4 + 1);
    MessageCapture capture;
    const int n = mdb_unicode2ascii(mdb_, data, size_t(size), buf.data(), buf.size());
    forwardLibmdbMessages([&] { return QStringLiteral("Textumwandlung"); });
    out = QString::fromUtf8(buf.data(), qMax(0, n));
}

}  // namespace accessdb::mdb

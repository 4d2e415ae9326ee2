#pragma once
// libmdb's header pulls in glib inside extern "C"; glib must come first in C++.
#include <glib.h>
#include <mdbtools.h>

#include "dataaccess/AccessDatabase.h"
#include "dataaccess/mdb/LibmdbMessages.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace accessdb::mdb {

// The failures of the Access layer, with descriptions a user can act on.
[[noreturn]] void throwFileNotFound(const QString& path);
[[noreturn]] void throwCannotRead(const QString& path, const QString& reason);
[[noreturn]] void throwNotAnAccessFile(const QString& path);
[[noreturn]] void throwDamaged(const QString& path, const QString& detail);

// True when a property block (MSysObjects.LvProp) holds together: every length inside it stays
// within the block and moves forward, and every value names a listed property.
bool propertyBlockIsSound(const QByteArray& block);

// One open Access file: the libmdb handle plus checked page access. libmdb trusts the file
// completely, so everything that is handed to it is checked here first.
class AccessFile {
public:
    explicit AccessFile(const QString& path, WarningSink warnings = {});  // raises 3024, 3343 or 3049
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    MdbHandle* handle() const { return mdb_; }
    const QString& path() const { return path_; }
    bool isJet3() const { return jet3_; }
    int pageSize() const { return pageSize_; }
    quint32 pageCount() const { return pageCount_; }
    bool pageExists(quint32 page) const { return page > 0 && page < pageCount_; }

    // A copy of a page (decrypted as libmdb does); raises 3049 when it does not exist.
    QByteArray readPage(quint32 page) const;
    // The bytes [start, end) of a row on a data page; false when the slot is missing, deleted,
    // a forward pointer or lies outside the page.
    bool rowBounds(const QByteArray& page, int row, int& start, int& end) const;
    // The whole value of a memo or long binary field from its 12-byte row header and the inline
    // part; raises 3049 when the chain is broken.
    QByteArray readLongValue(const char* field, int size) const;
    // Text stored in the file's own encoding (Jet 3: the code page; Jet 4/ACE: UTF-16, maybe compressed).
    QString decodeText(const char* data, int size) const;
    void decodeText(const char* data, int size, QString& out) const;  // into out's buffer

    [[noreturn]] void damaged(const QString& detail) const { throwDamaged(path_, detail); }

    // What libmdb complained about during a capture (see MessageCapture): raises 3049 with the
    // place `where()` names and the complaint when it spoke about the data being read ...
    template <class Where>
    void raiseOnLibmdbMessages(Where where) const
    {
        if (libmdbMessagesPending())  // the place is named only then: this runs for every row
            raiseLibmdbMessages(where());
    }
    // ... or hands it to the warning sink when it did not stop the reading.
    template <class Where>
    void forwardLibmdbMessages(Where where) const
    {
        if (libmdbMessagesPending())
            forwardLibmdbMessagesAt(where());
    }

    // A catalog entry for libmdb's table functions, owned by this file. lvProp is the raw
    // property block of the object (MSysObjects.LvProp), empty when it has none.
    MdbCatalogEntry* addEntry(const QString& name, int type, quint32 tdefPage, quint32 flags, const QByteArray& lvProp);

private:
    [[noreturn]] void raiseLibmdbMessages(const QString& where) const;
    void forwardLibmdbMessagesAt(const QString& where) const;

    struct EntryDeleter {
        void operator()(MdbCatalogEntry* e) const;
    };
    std::vector<std::unique_ptr<MdbCatalogEntry, EntryDeleter>> entries_;
    QString path_;
    WarningSink warnings_;
    MdbHandle* mdb_ = nullptr;
    bool jet3_ = true;
    int pageSize_ = 2048;
    quint32 pageCount_ = 0;
};

}  // namespace accessdb::mdb

// libFuzzer target: an arbitrary file opened as an Access database and read completely —
// catalog, table definitions, relations, query texts and every value of every row.
// A RuntimeError is the expected answer to a damaged file; anything else is a fault.
#include "dataaccess/AccessDatabase.h"
#include "runtime/RuntimeError.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <cstdio>
#include <unistd.h>

namespace {

const QString& inputPath()
{
    static const QString path = QDir::tempPath() + QStringLiteral("/mdb_open_fuzz_%1.mdb").arg(::getpid());
    // The input file goes when the process ends, so replays leave nothing behind.
    static const struct Remove {
        ~Remove() { std::remove(path.toLocal8Bit().constData()); }
    } remove;
    return path;
}

void readEverything(accessdb::Database& db)
{
    for (const accessdb::TableDef& t : db.tableDefs()) {
        if (t.linked)
            continue;
        auto rs = db.openRecordset(t.name);
        long sum = 0;
        for (; !rs->eof(); rs->moveNext())
            for (int i = 0; i < rs->fieldCount(); ++i)
                sum += rs->value(i).text.size() + rs->value(i).bytes.size();
        rs->moveFirst();
        if (!rs->eof()) {
            rs->moveLast();
            sum += rs->recordCount();
        }
        (void)sum;
    }
    for (const accessdb::Relation& r : db.relations())
        (void)r.fields.size();
    for (const accessdb::QueryDef& q : db.queryDefs())
        (void)q.sql.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(inputPath().toLocal8Bit().constData(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    try {
        auto db = accessdb::openDatabase(inputPath());
        readEverything(*db);
    } catch (const rt::RuntimeError&) {
    }
    return 0;
}

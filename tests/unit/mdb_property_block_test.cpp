// The check that keeps malformed property blocks away from libmdb's parser.
#include "dataaccess/mdb/AccessFile.h"

#include <QByteArray>
#include <QList>
#include <gtest/gtest.h>

namespace {

QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char(v >> 8 & 0xFF)); }
QByteArray le32(quint32 v) { return le16(int(v & 0xFFFF)) + le16(int(v >> 16)); }

QByteArray chunk(int kind, const QByteArray& data) { return le32(quint32(6 + data.size())) + le16(kind) + data; }

QByteArray names(const QList<QByteArray>& list)
{
    QByteArray d;
    for (const QByteArray& n : list)
        d += le16(int(n.size())) + n;
    return chunk(0x80, d);
}

// One value entry: length, flags, type, name number, data length, data.
QByteArray entry(int type, int name, const QByteArray& data, int lengthOverride = -1)
{
    const int len = lengthOverride >= 0 ? lengthOverride : 8 + int(data.size());
    return le16(len) + QByteArray(1, '\0') + QByteArray(1, char(type)) + le16(name) + le16(int(data.size())) + data;
}

QByteArray values(const QByteArray& object, const QByteArray& entries)
{
    return chunk(0x00, le32(0) + le16(int(object.size())) + object + entries);
}

const QByteArray kSignature("MR2\0", 4);

}  // namespace

TEST(MdbPropertyBlock, SoundBlocksPassAndBrokenLengthsDoNot)
{
    const QByteArray list = names({"Required", "DefaultValue"});
    const QByteArray good = kSignature + list + values("Nr", entry(1, 0, "\x01") + entry(10, 1, "=No"));
    EXPECT_TRUE(accessdb::mdb::propertyBlockIsSound(good));
    EXPECT_TRUE(accessdb::mdb::propertyBlockIsSound(QByteArray("KKD\0", 4) + list));

    // A zero entry length would make the parser stand still for ever.
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(kSignature + list + values("Nr", entry(1, 0, "\x01", 0))));
    // Data longer than its entry, an entry past the chunk, an unknown name number.
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(kSignature + list + values("Nr", entry(10, 1, "=No", 9))));
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(kSignature + list + values("Nr", entry(10, 1, "=No", 40))));
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(kSignature + list + values("Nr", entry(10, 2, "=No"))));
    // Values before the names, a zero chunk length, a cut block, a wrong signature.
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(kSignature + values("Nr", entry(1, 0, "\x01")) + list));
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(kSignature + le32(0) + le16(0x80)));
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(good.left(good.size() - 1)));
    EXPECT_FALSE(accessdb::mdb::propertyBlockIsSound(QByteArray("XYZ\0", 4) + list));
}

#pragma once
// Little-endian byte helpers for building Jet pages.
#include <QString>
#include <cstdint>
#include <cstring>
#include <vector>

namespace mdbw::bytes {

using Buffer = std::vector<uint8_t>;

inline void put16(uint8_t* at, uint32_t v)
{
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* at, uint32_t v)
{
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
    at[2] = uint8_t(v >> 16);
    at[3] = uint8_t(v >> 24);
}
inline void put16(Buffer& b, size_t at, uint32_t v) { put16(b.data() + at, v); }
inline void put32(Buffer& b, size_t at, uint32_t v) { put32(b.data() + at, v); }

inline void add8(Buffer& b, uint32_t v) { b.push_back(uint8_t(v)); }
inline void add16(Buffer& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void add32(Buffer& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
inline void add64(Buffer& b, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
inline void addDouble(Buffer& b, double d)
{
    uint64_t v;
    std::memcpy(&v, &d, 8);
    add64(b, v);
}
inline void addFloat(Buffer& b, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    add32(b, v);
}
inline void addBytes(Buffer& b, const void* p, size_t n)
{
    const auto* c = static_cast<const uint8_t*>(p);
    b.insert(b.end(), c, c + n);
}
inline void addBytes(Buffer& b, const Buffer& other) { b.insert(b.end(), other.begin(), other.end()); }

// Jet 4 text: UTF-16LE, uncompressed.
inline Buffer utf16(const QString& s)
{
    Buffer b;
    b.reserve(size_t(s.size()) * 2);
    for (QChar c : s)
        add16(b, c.unicode());
    return b;
}
// A 16-bit length followed by the UTF-16LE name (column and index names, property names).
inline void addName(Buffer& b, const QString& s)
{
    Buffer t = utf16(s);
    add16(b, uint32_t(t.size()));
    addBytes(b, t);
}

}  // namespace mdbw::bytes

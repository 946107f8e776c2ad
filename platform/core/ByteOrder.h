// Numbers kept in a file as bytes in a fixed order, whatever the machine's own: the book's
// are big-endian, the settings file's little-endian.
#pragma once

#include <cstdint>

// The number in the size bytes (at most 4) at bytes, most significant first.
inline std::uint32_t GetBigEndian(const void* bytes, int size)
{
    const auto* at = static_cast<const unsigned char*>(bytes);
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | at[i];
    return value;
}

// The number in the size bytes at bytes, least significant first.
inline std::uint32_t GetLittleEndian(const void* bytes, int size)
{
    const auto* at = static_cast<const unsigned char*>(bytes);
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

// Writes the low size bytes of value at bytes, most significant first.
inline void PutBigEndian(void* bytes, int size, std::uint32_t value)
{
    auto* at = static_cast<unsigned char*>(bytes);
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        at[i] = static_cast<unsigned char>(value & 0xFF);
}

// Writes the low size bytes of value at bytes, least significant first.
inline void PutLittleEndian(void* bytes, int size, std::uint32_t value)
{
    auto* at = static_cast<unsigned char*>(bytes);
    for (int i = 0; i < size; ++i, value >>= 8)
        at[i] = static_cast<unsigned char>(value & 0xFF);
}

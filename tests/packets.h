#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

// How every test spells the target's packets and the reports that carry them.
namespace testpackets {

using Bytes = std::vector<uint8_t>;

//! A command or response packet: header, then the little-endian words.
inline Bytes packet(uint8_t tag, const std::vector<uint32_t> &words, uint8_t flags = 0)
{
    Bytes bytes{ tag, flags, 0, static_cast<uint8_t>(words.size()) };
    for (uint32_t word : words)
    {
        for (int shift = 0; shift < 32; shift += 8)
        {
            bytes.push_back(static_cast<uint8_t>(word >> shift));
        }
    }
    return bytes;
}

//! The bytes 00, 01, 02, ... wrapping after ff.
inline Bytes sequence(size_t count)
{
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), uint8_t(0));
    return bytes;
}

//! A report of @a reportId announcing @a announced bytes: padding byte,
//! 16-bit length, @a payload, then zeros up to @a reportSize when that is larger.
inline Bytes report(uint8_t reportId, uint32_t announced, const Bytes &payload = {}, size_t reportSize = 0)
{
    Bytes bytes(std::max(reportSize, 4 + payload.size()), 0);
    bytes[0] = reportId;
    bytes[2] = static_cast<uint8_t>(announced);
    bytes[3] = static_cast<uint8_t>(announced >> 8);
    std::copy(payload.begin(), payload.end(), bytes.begin() + 4);
    return bytes;
}

//! A report of @a reportId that carries @a payload whole.
inline Bytes frame(uint8_t reportId, const Bytes &payload)
{
    return report(reportId, static_cast<uint32_t>(payload.size()), payload);
}

} // namespace testpackets

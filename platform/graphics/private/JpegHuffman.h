// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces of Huffman coding the JPEG re-coder is built of: tables as
// DHT segments give them, decoding and encoding with them, the bits of
// entropy-coded data read and written, and the optimal table for counted
// symbols.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace platform::graphics::jpeg
{

constexpr int kLookBits = 9; // codes this short decode with one table look-up

// A Huffman table as a DHT segment gives it: the number of codes of each
// length (1..16) and the symbols in code order.
struct HuffmanSpec {
    bool defined = false;
    std::array<std::uint8_t, 17> counts{}; // counts[length], length 1..16
    std::vector<std::uint8_t> symbols;
};

// Canonical decoding (T.81 Annex F.2.2.3) with a look-up of the first bits.
class HuffmanDecoder
{
public:
    bool Build(const HuffmanSpec& spec)
    {
        m_symbols = spec.symbols;
        m_look.fill(0);
        int code = 0;
        int index = 0;
        for (int length = 1; length <= 16; ++length) {
            m_valueIndex[length] = index;
            m_minCode[length] = code;
            for (int i = 0; i < spec.counts[length]; ++i, ++code, ++index) {
                if (code >= 1 << length || index >= int(m_symbols.size()))
                    return false; // more codes than the length holds
                if (length <= kLookBits) {
                    const int shift = kLookBits - length;
                    for (int fill = code << shift; fill < (code + 1) << shift; ++fill)
                        m_look[size_t(fill)] = std::uint16_t(length << 8 | m_symbols[index]);
                }
            }
            // What is left must still fit the length: a code of all ones
            // is reserved as the prefix of longer ones (T.81 C.2), and
            // libjpeg refuses a table that holds one.
            if (spec.counts[length] && code >= 1 << length)
                return false;
            m_maxCode[length] = spec.counts[length] ? code - 1 : -1;
            code <<= 1;
        }
        return index == int(m_symbols.size());
    }

    // The symbol whose code starts the 64 bits of bits, and its code's length
    // in *length; -1 when no code matches.
    int Decode(std::uint64_t bits, int* length) const
    {
        const std::uint16_t entry = m_look[size_t(bits >> (64 - kLookBits))];
        if (entry) {
            *length = entry >> 8;
            return entry & 0xFF;
        }
        for (int l = kLookBits + 1; l <= 16; ++l) {
            const int code = int(bits >> (64 - l));
            if (m_maxCode[l] >= 0 && code <= m_maxCode[l] && code >= m_minCode[l]) {
                *length = l;
                return m_symbols[size_t(m_valueIndex[l] + code - m_minCode[l])];
            }
        }
        return -1;
    }

private:
    std::vector<std::uint8_t> m_symbols;
    std::array<std::uint16_t, 1 << kLookBits> m_look{};
    std::array<int, 17> m_minCode{};
    std::array<int, 17> m_maxCode{};
    std::array<int, 17> m_valueIndex{};
};

// Reads the bits of entropy-coded data, the stuffed zero bytes taken out.
// Past the data it gives zero bits, which count as a fault once used.
class BitReader
{
public:
    BitReader(std::span<const std::uint8_t> in, std::size_t begin, std::size_t end)
        : m_in(in), m_at(begin), m_end(end)
    {
    }

    std::uint64_t Peek()
    {
        while (m_bits <= 56) {
            std::uint8_t byte = 0;
            if (m_at < m_end && m_in[m_at] != 0xFF) {
                byte = m_in[m_at++];
                m_real += 8;
            } else if (m_at + 1 < m_end && m_in[m_at + 1] == 0x00) {
                byte = 0xFF;
                m_at += 2;
                m_real += 8;
            }
            m_bits_acc |= std::uint64_t(byte) << (56 - m_bits);
            m_bits += 8;
        }
        return m_bits_acc;
    }

    bool Skip(int count)
    {
        m_bits_acc <<= count;
        m_bits -= count;
        m_real -= count;
        return m_real >= 0;
    }

    // Reads count (0..16) bits into *value.
    bool Take(int count, unsigned* value)
    {
        *value = count ? unsigned(Peek() >> (64 - count)) : 0;
        return Skip(count);
    }

    // At the end of a stretch between restart markers: what is left of the
    // last byte is padding of one bits, and the data is used up to the
    // marker at m_at.
    bool FinishStretch()
    {
        if (m_real < 0 || m_real >= 8)
            return false;
        if (m_real && m_bits_acc >> (64 - m_real) != (std::uint64_t(1) << m_real) - 1)
            return false;
        m_bits_acc = 0;
        m_bits = m_real = 0;
        return true;
    }

    // Steps over the restart marker expected next.
    bool SkipRestart(int number)
    {
        if (m_at + 2 > m_end || m_in[m_at] != 0xFF || m_in[m_at + 1] != 0xD0 + number)
            return false;
        m_at += 2;
        return true;
    }

    bool AtEnd() const { return m_at == m_end; }

private:
    std::span<const std::uint8_t> m_in;
    std::size_t m_at, m_end;
    std::uint64_t m_bits_acc = 0;
    int m_bits = 0; // bits held in m_bits_acc
    int m_real = 0; // of those, the ones read from the data
};

class BitWriter
{
public:
    explicit BitWriter(std::vector<std::uint8_t>* out) : m_out(out) {}

    void Put(unsigned value, int count)
    {
        m_acc = m_acc << count | (value & ((1u << count) - 1));
        m_bits += count;
        while (m_bits >= 8) {
            const auto byte = std::uint8_t(m_acc >> (m_bits - 8));
            m_out->push_back(byte);
            if (byte == 0xFF)
                m_out->push_back(0x00);
            m_bits -= 8;
        }
        m_acc &= (std::uint64_t(1) << m_bits) - 1;
    }

    // Pads the last byte with one bits.
    void Flush()
    {
        if (m_bits)
            Put((1u << (8 - m_bits)) - 1, 8 - m_bits);
    }

private:
    std::vector<std::uint8_t>* m_out;
    std::uint64_t m_acc = 0;
    int m_bits = 0;
};

using Frequencies = std::array<long, 257>;

// The optimal table for the symbol counts, built as libjpeg builds it
// (jpeg_gen_optimal_table, T.81 Annex K.2): code point 256 is held back so
// that no code is all ones, and codes longer than 16 bits are shortened.
bool OptimalTable(Frequencies freq, HuffmanSpec* spec);

struct Encoder {
    std::array<unsigned, 256> code{};
    std::array<int, 256> size{};
};

Encoder MakeEncoder(const HuffmanSpec& spec);

} // namespace platform::graphics::jpeg

// SPDX-License-Identifier: GPL-3.0-or-later
// The optimal Huffman table and the codes of a table.
#include "JpegHuffman.h"

namespace platform::graphics::jpeg
{

bool OptimalTable(Frequencies freq, HuffmanSpec* spec)
{
    std::array<int, 257> codeSize{};
    std::array<int, 257> others;
    others.fill(-1);
    freq[256] = 1;
    for (;;) {
        int c1 = -1, c2 = -1;
        long v = 1000000000L;
        for (int i = 0; i <= 256; ++i) {
            if (freq[size_t(i)] && freq[size_t(i)] <= v) {
                v = freq[size_t(i)];
                c1 = i;
            }
        }
        v = 1000000000L;
        for (int i = 0; i <= 256; ++i) {
            if (freq[size_t(i)] && freq[size_t(i)] <= v && i != c1) {
                v = freq[size_t(i)];
                c2 = i;
            }
        }
        if (c2 < 0)
            break;
        freq[size_t(c1)] += freq[size_t(c2)];
        freq[size_t(c2)] = 0;
        ++codeSize[size_t(c1)];
        while (others[size_t(c1)] >= 0) {
            c1 = others[size_t(c1)];
            ++codeSize[size_t(c1)];
        }
        others[size_t(c1)] = c2;
        ++codeSize[size_t(c2)];
        while (others[size_t(c2)] >= 0) {
            c2 = others[size_t(c2)];
            ++codeSize[size_t(c2)];
        }
    }
    std::array<int, 33> bits{};
    for (int i = 0; i <= 256; ++i) {
        if (codeSize[size_t(i)]) {
            if (codeSize[size_t(i)] > 32)
                return false;
            ++bits[size_t(codeSize[size_t(i)])];
        }
    }
    for (int i = 32; i > 16; --i) {
        while (bits[size_t(i)] > 0) {
            int j = i - 2;
            while (j > 0 && bits[size_t(j)] == 0)
                --j;
            if (j <= 0)
                return false;
            bits[size_t(i)] -= 2;
            ++bits[size_t(i - 1)];
            bits[size_t(j + 1)] += 2;
            --bits[size_t(j)];
        }
    }
    int longest = 16;
    while (longest > 0 && bits[size_t(longest)] == 0)
        --longest;
    if (longest == 0)
        return false;        // no symbol at all
    --bits[size_t(longest)]; // the held-back code point
    spec->defined = true;
    spec->symbols.clear();
    for (int length = 1; length <= 16; ++length)
        spec->counts[size_t(length)] = std::uint8_t(bits[size_t(length)]);
    for (int length = 1; length <= 32; ++length) {
        for (int symbol = 0; symbol <= 255; ++symbol) {
            if (codeSize[size_t(symbol)] == length)
                spec->symbols.push_back(std::uint8_t(symbol));
        }
    }
    return true;
}

Encoder MakeEncoder(const HuffmanSpec& spec)
{
    Encoder encoder;
    unsigned code = 0;
    std::size_t index = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < spec.counts[size_t(length)]; ++i, ++code, ++index) {
            encoder.code[spec.symbols[index]] = code;
            encoder.size[spec.symbols[index]] = length;
        }
        code <<= 1;
    }
    return encoder;
}

} // namespace platform::graphics::jpeg

// Seeded random texts for the property tests: mostly letters, digits, dots
// and delimiters, some high and control bytes, lengths past the capacity.
#pragma once

#include <cstdint>
#include <random>
#include <string>

class RandomText
{
public:
    explicit RandomText(uint32_t seed) : m_engine(seed) {}

    int between(int low, int high) { return std::uniform_int_distribution(low, high)(m_engine); }
    int32_t number() { return int32_t(m_engine()); }

    char byte()
    {
        static constexpr char kCommon[] = "abcXYZ019.,+ ";
        const int kind = between(0, 9);
        return kind == 0   ? char(between(1, 255))
               : kind == 1 ? char(between(0x80, 0xFF))
                           : kCommon[between(0, 12)];
    }

    // No zero bytes: a text, not a block.
    std::string text(int maxLength = 300)
    {
        std::string result(size_t(between(0, maxLength)), '\0');
        for (char& c : result)
            c = byte();
        return result;
    }

private:
    std::mt19937 m_engine;
};

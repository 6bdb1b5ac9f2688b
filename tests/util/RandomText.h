// Seeded random texts for the property tests: mostly letters, digits and
// the delimiters and dots the text operations care about, with some high
// and control bytes, and lengths that run past the 255-character capacity.
#pragma once

#include <cstdint>
#include <random>
#include <string>

class RandomText
{
public:
    explicit RandomText(uint32_t seed) : m_engine(seed) {}

    int between(int low, int high) { return std::uniform_int_distribution(low, high)(m_engine); }

    char byte()
    {
        static constexpr char kCommon[] = "abcXYZ019.,+ ";
        switch (between(0, 9)) {
        case 0:
            return char(between(1, 255));
        case 1:
            return char(between(0x80, 0xFF));
        default:
            return kCommon[between(0, int(sizeof kCommon) - 2)];
        }
    }

    // No zero bytes: a text, not a block.
    std::string text(int maxLength = 300)
    {
        std::string result(size_t(between(0, maxLength)), '\0');
        for (char& c : result)
            c = byte();
        return result;
    }

    int32_t number() { return int32_t(m_engine()); }

private:
    std::mt19937 m_engine;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the utility tests: seeded random texts, and the C locale's
// lower-casing (ASCII letters only).
#pragma once

#include <cstdint>
#include <random>
#include <string>

struct RandomText {
    std::mt19937 engine;
    explicit RandomText(uint32_t seed) : engine(seed) {}
    int between(int low, int high) { return std::uniform_int_distribution(low, high)(engine); }
    // Mostly letters, digits, dots and delimiters; one in five any byte but zero.
    char byte() { return between(0, 4) ? "abcXYZ019.,+ "[between(0, 12)] : char(between(1, 255)); }
    // Lengths past the capacity by default.
    std::string text(int maxLength = 300)
    {
        std::string result(size_t(between(0, maxLength)), '\0');
        for (char& c : result)
            c = byte();
        return result;
    }
};

constexpr auto lowerAscii = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };

// Random sequences of CString256 operations on random texts. After every
// operation the text is terminated within its 256 bytes and equals the same
// operation done on a std::string and cut to 255 characters; only the
// character append stops one short, at 254.
#include "platform/memory/Memory.h"
#include "util/CString256.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

std::string cut(std::string text)
{
    if (text.size() > 255)
        text.resize(255);
    return text;
}

std::string asciiOnly(std::string text)
{
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return text;
}

} // namespace

TEST(CString256Property, EveryOperationKeepsATerminatedTextWithinCapacity)
{
    RandomText random(31337);
    for (int round = 0; round < 3000; ++round) {
        const std::string initial = random.text();
        CString256 s(initial.c_str());
        std::string model = cut(initial);

        for (int step = 0; step < 8; ++step) {
            const int operation = random.between(0, 11);
            const std::string arg = random.text();
            switch (operation) {
            case 0:
                s = arg.c_str();
                model = cut(arg);
                break;
            case 1:
                s += arg.c_str();
                model = cut(model + arg);
                break;
            case 2: {
                const CString256 other(arg.c_str());
                s += other;
                model = cut(model + cut(arg));
                break;
            }
            case 3: {
                const char c = random.byte();
                s += c;
                if (model.size() <= 253)
                    model += c;
                break;
            }
            case 4: {
                const int32_t n = random.number();
                if (random.between(0, 1)) {
                    s = n;
                    model = std::to_string(n);
                } else {
                    s += n;
                    model = cut(model + std::to_string(n));
                }
                break;
            }
            case 5: {
                unsigned char pascal[256];
                pascal[0] = static_cast<unsigned char>(std::min<size_t>(arg.size(), 255));
                std::memcpy(pascal + 1, arg.data(), pascal[0]);
                s += pascal;
                model = cut(model + arg.substr(0, pascal[0]));
                break;
            }
            case 6: {
                // A block is bytes, not text: it may hold a zero byte.
                std::string block = arg;
                if (!block.empty() && random.between(0, 3) == 0)
                    block[size_t(random.between(0, int(block.size()) - 1))] = '\0';
                Handle h = NewHandle(Size(block.size()));
                std::memcpy(*h, block.data(), block.size());
                s = h;
                DisposeHandle(h);
                model = cut(block).c_str();
                break;
            }
            case 7: {
                // Mac OS Roman agrees with ASCII below 0x80.
                const std::string ascii = asciiOnly(arg);
                const QString string = QString::fromLatin1(ascii.data(), qsizetype(ascii.size()));
                const bool fits = ascii.size() <= 255;
                if (random.between(0, 1)) {
                    s = string;
                    model = fits ? ascii : "";
                } else {
                    s += string;
                    model = cut(model + (fits ? ascii : ""));
                }
                break;
            }
            case 8:
                s.to_lower();
                for (char& c : model)
                    c = (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
                break;
            case 9:
                s.filter_to_alnum_or_punct();
                std::erase_if(model, [](char c) { return c < 0x21 || c > 0x7E; });
                break;
            case 10: {
                const std::string suffix = random.text(6);
                s.change_suffix(suffix.c_str());
                if (const size_t dot = model.rfind('.'); dot != std::string::npos)
                    model.resize(dot);
                model = cut(cut(model + ".") + suffix);
                break;
            }
            case 11: {
                char buffer[600] = "line\n";
                s.print(buffer);
                ASSERT_EQ(std::string(buffer), "line\n" + model + "\n");
                break;
            }
            }
            ASSERT_NE(std::memchr(s.text, '\0', sizeof s.text), nullptr)
                << "operation " << operation;
            ASSERT_EQ(std::string(s.text), model) << "operation " << operation;
        }
    }
}

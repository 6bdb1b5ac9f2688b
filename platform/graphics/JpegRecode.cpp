// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG entropy re-coder: markers parsed, every scan decoded into its
// symbols to count them, then written again with the optimal tables.
#include "JpegRecode.h"

#include "JpegHuffman.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace platform::graphics
{

namespace
{

using namespace jpeg;

constexpr int kMaxComponents = 4;

struct Component {
    int id = 0;
    int h = 1, v = 1;
    int quantTable = 0;
    // Blocks across and down when the component is coded on its own.
    long long blocksWide = 0, blocksHigh = 0;
};

struct Frame {
    bool seen = false;
    long long width = 0, height = 0;
    int maxH = 1, maxV = 1;
    std::vector<Component> components;
};

struct Scan {
    std::size_t headerStart = 0; // the SOS marker
    std::size_t dataStart = 0, dataEnd = 0;
    int restartInterval = 0;
    int count = 0;
    std::array<int, kMaxComponents> component{}; // index into Frame::components
    std::array<int, kMaxComponents> dcTable{}, acTable{};
    std::array<HuffmanDecoder, 4> dc, ac; // the tables defined when the scan starts
};

// What the output holds, in order: stretches of the input copied through,
// and scans (their new DHT segments, the SOS segment and the re-coded data).
struct Piece {
    bool isScan = false;
    std::size_t begin = 0, end = 0; // the input bytes, or the scan's index in begin
};

struct Parsed {
    Frame frame;
    std::vector<Scan> scans;
    std::vector<Piece> pieces;
};

int Word(std::span<const std::uint8_t> in, std::size_t at)
{
    return in[at] << 8 | in[at + 1];
}

bool ParseHuffmanTables(std::span<const std::uint8_t> segment, std::array<HuffmanSpec, 8>* tables)
{
    std::size_t at = 0;
    while (at < segment.size()) {
        if (at + 17 > segment.size())
            return false;
        const int tableClass = segment[at] >> 4, id = segment[at] & 0x0F;
        if (tableClass > 1 || id > 3)
            return false;
        HuffmanSpec spec;
        spec.defined = true;
        int total = 0;
        for (int length = 1; length <= 16; ++length)
            total += spec.counts[length] = segment[at + length];
        at += 17;
        if (total > 256 || at + total > segment.size())
            return false;
        spec.symbols.assign(segment.begin() + at, segment.begin() + at + total);
        // A DC symbol is a number of bits, 0..15 (libjpeg refuses more).
        if (tableClass == 0 &&
            std::any_of(spec.symbols.begin(), spec.symbols.end(), [](int s) { return s > 15; }))
            return false;
        at += total;
        (*tables)[size_t(tableClass * 4 + id)] = std::move(spec);
    }
    return true;
}

bool ParseFrame(std::span<const std::uint8_t> segment, Frame* frame)
{
    if (frame->seen || segment.size() < 6 || segment[0] != 8)
        return false; // a second frame, or samples other than 8 bits
    frame->seen = true;
    frame->height = Word(segment, 1);
    frame->width = Word(segment, 3);
    const int count = segment[5];
    if (frame->width == 0 || frame->height == 0 || count < 1 || count > kMaxComponents ||
        segment.size() != std::size_t(6 + 3 * count))
        return false; // a height given later (DNL) is not handled
    for (int i = 0; i < count; ++i) {
        Component component;
        component.id = segment[6 + 3 * i];
        component.h = segment[7 + 3 * i] >> 4;
        component.v = segment[7 + 3 * i] & 0x0F;
        component.quantTable = segment[8 + 3 * i];
        if (component.quantTable > 3 || component.h < 1 || component.h > 4 || component.v < 1 ||
            component.v > 4)
            return false;
        frame->maxH = std::max(frame->maxH, component.h);
        frame->maxV = std::max(frame->maxV, component.v);
        frame->components.push_back(component);
    }
    for (Component& component : frame->components) {
        const long long wide = (frame->width * component.h + frame->maxH - 1) / frame->maxH;
        const long long high = (frame->height * component.v + frame->maxV - 1) / frame->maxV;
        component.blocksWide = (wide + 7) / 8;
        component.blocksHigh = (high + 7) / 8;
    }
    return true;
}

// Notes the quantisation tables a DQT segment defines.
bool ParseQuantTables(std::span<const std::uint8_t> segment, std::array<bool, 4>* defined)
{
    for (std::size_t at = 0; at < segment.size();) {
        const int precision = segment[at] >> 4, id = segment[at] & 0x0F;
        if (precision > 1 || id > 3)
            return false;
        (*defined)[size_t(id)] = true;
        at += 1 + 64 * std::size_t(precision + 1);
        if (at > segment.size())
            return false;
    }
    return true;
}

bool ParseScanHeader(std::span<const std::uint8_t> segment, const Frame& frame,
                     const std::array<HuffmanSpec, 8>& tables,
                     const std::array<bool, 4>& quantTables, Scan* scan)
{
    if (!frame.seen || segment.empty())
        return false;
    scan->count = segment[0];
    if (scan->count < 1 || scan->count > kMaxComponents ||
        segment.size() != std::size_t(4 + 2 * scan->count))
        return false;
    int blocksInMcu = 0;
    for (int i = 0; i < scan->count; ++i) {
        const int id = segment[1 + 2 * i];
        const auto found = std::find_if(frame.components.begin(), frame.components.end(),
                                        [id](const Component& c) { return c.id == id; });
        if (found == frame.components.end() || !quantTables[size_t(found->quantTable)])
            return false;
        scan->component[i] = int(found - frame.components.begin());
        scan->dcTable[i] = segment[2 + 2 * i] >> 4;
        scan->acTable[i] = segment[2 + 2 * i] & 0x0F;
        if (scan->dcTable[i] > 3 || scan->acTable[i] > 3 ||
            !tables[size_t(scan->dcTable[i])].defined ||
            !tables[size_t(4 + scan->acTable[i])].defined)
            return false;
        blocksInMcu += found->h * found->v;
    }
    const std::size_t tail = 1 + 2 * std::size_t(scan->count);
    // A sequential scan: the whole spectrum, no successive approximation.
    if (segment[tail] != 0 || segment[tail + 1] != 63 || segment[tail + 2] != 0)
        return false;
    if (scan->count > 1 && blocksInMcu > 10)
        return false;
    for (int t = 0; t < 4; ++t) {
        if (tables[size_t(t)].defined && !scan->dc[size_t(t)].Build(tables[size_t(t)]))
            return false;
        if (tables[size_t(4 + t)].defined && !scan->ac[size_t(t)].Build(tables[size_t(4 + t)]))
            return false;
    }
    return true;
}

// The end of the entropy-coded data that starts at at: the next marker that
// is neither a stuffed 0xFF nor a restart marker, or 0 when the data runs to
// the end of the file.
std::size_t EntropyEnd(std::span<const std::uint8_t> in, std::size_t at)
{
    for (; at + 1 < in.size(); ++at) {
        if (in[at] != 0xFF)
            continue;
        const std::uint8_t next = in[at + 1];
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
            ++at;
            continue;
        }
        return at;
    }
    return 0;
}

bool Parse(std::span<const std::uint8_t> in, Parsed* parsed)
{
    if (in.size() < 4 || in[0] != 0xFF || in[1] != 0xD8)
        return false;
    std::array<HuffmanSpec, 8> tables;
    std::array<bool, 4> quantTables{};
    int restartInterval = 0;
    std::size_t at = 2;
    std::size_t copyFrom = 0;
    const auto endCopy = [&](std::size_t upTo) {
        if (upTo > copyFrom)
            parsed->pieces.push_back({false, copyFrom, upTo});
    };
    for (;;) {
        if (at + 2 > in.size() || in[at] != 0xFF)
            return false;
        const std::uint8_t marker = in[at + 1];
        if (marker == 0xD9) { // EOI: the end, with nothing after it
            if (at + 2 != in.size() || parsed->scans.empty())
                return false;
            endCopy(in.size());
            return true;
        }
        if (at + 4 > in.size())
            return false;
        const std::size_t length = std::size_t(Word(in, at + 2));
        if (length < 2 || at + 2 + length > in.size())
            return false;
        const std::span<const std::uint8_t> segment = in.subspan(at + 4, length - 2);
        const std::size_t next = at + 2 + length;
        if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) {
            // APPn and COM are copied through, as is DQT.
        } else if (marker == 0xDB) {
            if (!ParseQuantTables(segment, &quantTables))
                return false;
        } else if (marker == 0xC0 || marker == 0xC1) {
            if (!ParseFrame(segment, &parsed->frame))
                return false;
        } else if (marker == 0xC4) {
            if (!ParseHuffmanTables(segment, &tables))
                return false;
            endCopy(at); // the tables are written anew before each scan
            copyFrom = next;
        } else if (marker == 0xDD) {
            if (segment.size() != 2)
                return false;
            restartInterval = Word(segment, 0);
        } else if (marker == 0xDA) {
            Scan scan;
            if (!ParseScanHeader(segment, parsed->frame, tables, quantTables, &scan))
                return false;
            scan.headerStart = at;
            scan.dataStart = next;
            scan.dataEnd = EntropyEnd(in, next);
            scan.restartInterval = restartInterval;
            if (scan.dataEnd == 0)
                return false;
            endCopy(at);
            parsed->pieces.push_back({true, parsed->scans.size(), 0});
            parsed->scans.push_back(std::move(scan));
            at = copyFrom = parsed->scans.back().dataEnd;
            continue;
        } else {
            return false; // progressive, lossless, arithmetic coding, DNL, unknown
        }
        at = next;
    }
}

// Walks every block of scan, giving each symbol to symbol(isAc, table,
// symbol, extraBits, extraCount) and each restart marker to restart(number).
template <class Symbol, class Restart>
bool WalkScan(std::span<const std::uint8_t> in, const Frame& frame, const Scan& scan,
              Symbol&& symbol, Restart&& restart)
{
    BitReader reader(in, scan.dataStart, scan.dataEnd);
    const auto block = [&](int slot) {
        const HuffmanDecoder& dc = scan.dc[size_t(scan.dcTable[slot])];
        const HuffmanDecoder& ac = scan.ac[size_t(scan.acTable[slot])];
        int length = 0;
        const int category = dc.Decode(reader.Peek(), &length);
        if (category < 0 || category > 11 || !reader.Skip(length))
            return false;
        unsigned extra = 0;
        if (!reader.Take(category, &extra))
            return false;
        symbol(false, scan.dcTable[slot], category, extra, category);
        for (int k = 1; k < 64;) {
            const int runSize = ac.Decode(reader.Peek(), &length);
            if (runSize < 0 || !reader.Skip(length))
                return false;
            const int run = runSize >> 4, size = runSize & 0x0F;
            if (size == 0) {
                symbol(true, scan.acTable[slot], runSize, 0u, 0);
                if (run != 15)
                    break; // end of block
                k += 16;
                if (k > 63)
                    return false; // a run of zeros to nothing
                continue;
            }
            k += run;
            if (k > 63 || size > 10 || !reader.Take(size, &extra))
                return false;
            symbol(true, scan.acTable[slot], runSize, extra, size);
            ++k;
        }
        return true;
    };

    long long mcusWide = 0, mcusHigh = 0;
    if (scan.count == 1) {
        const Component& only = frame.components[size_t(scan.component[0])];
        mcusWide = only.blocksWide;
        mcusHigh = only.blocksHigh;
    } else {
        mcusWide = (frame.width + 8 * frame.maxH - 1) / (8 * frame.maxH);
        mcusHigh = (frame.height + 8 * frame.maxV - 1) / (8 * frame.maxV);
    }
    const long long mcus = mcusWide * mcusHigh;
    int restarts = 0;
    for (long long mcu = 0; mcu < mcus; ++mcu) {
        if (scan.restartInterval && mcu && mcu % scan.restartInterval == 0) {
            if (!reader.FinishStretch() || !reader.SkipRestart(restarts % 8))
                return false;
            restart(restarts % 8);
            ++restarts;
        }
        if (scan.count == 1) {
            if (!block(0))
                return false;
            continue;
        }
        for (int slot = 0; slot < scan.count; ++slot) {
            const Component& component = frame.components[size_t(scan.component[slot])];
            for (int i = 0; i < component.h * component.v; ++i) {
                if (!block(slot))
                    return false;
            }
        }
    }
    return reader.FinishStretch() && reader.AtEnd();
}

void PutSegmentHeader(std::vector<std::uint8_t>* out, std::uint8_t marker, std::size_t length)
{
    out->insert(out->end(), {0xFF, marker, std::uint8_t(length >> 8), std::uint8_t(length)});
}

// The scan's tables, counted and built, written as libjpeg writes them:
// one DHT segment a table, DC then AC, in the order the scan's components
// first use them.
bool WriteScan(std::span<const std::uint8_t> in, const Frame& frame, const Scan& scan,
               std::vector<std::uint8_t>* out)
{
    std::array<Frequencies, 8> freq{}; // DC tables 0..3, then AC tables 0..3
    const bool counted = WalkScan(
        in, frame, scan,
        [&freq](bool isAc, int table, int symbol, unsigned, int) {
            ++freq[size_t((isAc ? 4 : 0) + table)][size_t(symbol)];
        },
        [](int) {});
    if (!counted)
        return false;

    std::array<Encoder, 8> encoders;
    std::array<bool, 8> written{};
    for (int slot = 0; slot < scan.count; ++slot) {
        for (const int which : {scan.dcTable[slot], 4 + scan.acTable[slot]}) {
            if (written[size_t(which)])
                continue;
            written[size_t(which)] = true;
            HuffmanSpec spec;
            if (!OptimalTable(freq[size_t(which)], &spec))
                return false;
            PutSegmentHeader(out, 0xC4, 2 + 1 + 16 + spec.symbols.size());
            out->push_back(std::uint8_t((which >= 4 ? 0x10 : 0x00) | (which & 3)));
            out->insert(out->end(), spec.counts.begin() + 1, spec.counts.end());
            out->insert(out->end(), spec.symbols.begin(), spec.symbols.end());
            encoders[size_t(which)] = MakeEncoder(spec);
        }
    }
    out->insert(out->end(), in.begin() + std::ptrdiff_t(scan.headerStart),
                in.begin() + std::ptrdiff_t(scan.dataStart));

    BitWriter writer(out);
    return WalkScan(
               in, frame, scan,
               [&](bool isAc, int table, int symbol, unsigned extra, int extraCount) {
                   const Encoder& encoder = encoders[size_t((isAc ? 4 : 0) + table)];
                   writer.Put(encoder.code[size_t(symbol)], encoder.size[size_t(symbol)]);
                   if (extraCount)
                       writer.Put(extra, extraCount);
               },
               [&](int number) {
                   writer.Flush();
                   out->insert(out->end(), {0xFF, std::uint8_t(0xD0 + number)});
               }) &&
           (writer.Flush(), true);
}

} // namespace

bool RecodeJpegHuffman(std::span<const std::uint8_t> jpeg, std::vector<std::uint8_t>* recoded)
{
    recoded->clear();
    Parsed parsed;
    if (!Parse(jpeg, &parsed))
        return false;
    std::vector<std::uint8_t> out;
    out.reserve(jpeg.size());
    for (const Piece& piece : parsed.pieces) {
        if (!piece.isScan) {
            out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(piece.begin),
                       jpeg.begin() + std::ptrdiff_t(piece.end));
        } else if (!WriteScan(jpeg, parsed.frame, parsed.scans[piece.begin], &out)) {
            return false;
        }
    }
    *recoded = std::move(out);
    return true;
}

} // namespace platform::graphics

// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG Huffman re-coder on its own. The exporter gives it only pictures
// beyond 32 MiB of coefficients, which the picture target never makes, so
// here any bytes go to it directly. It either refuses them, leaving nothing,
// or writes a stream that libjpeg reads back to exactly the input's
// coefficients: never a different picture. A stream libjpeg finds damaged
// must be refused, and what the re-coder wrote it re-codes again to itself.
#include "FuzzSupport.h"

#include "platform/graphics/testing/JpegTesting.h"

#include <csetjmp>
#include <cstdio> // before libjpeg, which uses FILE
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

using namespace fuzzsupport;

namespace
{

// What libjpeg reads of a stream without decoding it to pixels.
struct Coefficients {
    bool read = false;    // false: libjpeg gave up on the stream
    bool damaged = false; // it read on over faults in the entropy-coded data
    int warnings = 0;     // every warning, the header's included
    JDIMENSION width = 0, height = 0;
    std::vector<int> layout; // components, then each one's factors and blocks
    std::vector<JCOEF> values;
};

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf failed;
    Coefficients* into;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->failed, 1);
}

void OnMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return; // traces
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    ++errors->into->warnings;
    switch (info->err->msg_code) {
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
        errors->into->damaged = true;
        break;
    default:
        break;
    }
}

// Reads every block's coefficients. Only plain data crosses the jumps: the
// vectors are filled before a failure could come back here.
void ReadCoefficients(const std::vector<std::uint8_t>& jpeg, Coefficients* out)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    errors.into = out;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.emit_message = OnMessage;
    if (setjmp(errors.failed)) {
        jpeg_destroy_decompress(&info);
        out->read = false;
        return;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&info);
    out->width = info.image_width;
    out->height = info.image_height;
    out->layout.push_back(info.num_components);
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        out->layout.insert(out->layout.end(),
                           {component.h_samp_factor, component.v_samp_factor,
                            int(component.width_in_blocks), int(component.height_in_blocks)});
        for (JDIMENSION row = 0; row < component.height_in_blocks; ++row) {
            JBLOCKARRAY blocks = info.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&info),
                                                              arrays[c], row, 1, FALSE);
            for (JDIMENSION column = 0; column < component.width_in_blocks; ++column)
                out->values.insert(out->values.end(), blocks[0][column],
                                   blocks[0][column] + DCTSIZE2);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out->read = true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray recoded;
    if (!platform::testing::RecodeJpegTables(input, &recoded)) {
        if (!recoded.isEmpty())
            Fail("a refused stream came back with bytes");
        return 0;
    }
    Coefficients before, after;
    ReadCoefficients(std::vector<std::uint8_t>(data, data + size), &before);
    ReadCoefficients(std::vector<std::uint8_t>(recoded.begin(), recoded.end()), &after);
    if (before.damaged)
        Fail("a stream libjpeg finds damaged was re-coded");
    if (before.read != after.read)
        Fail("the re-coded stream is read where the input is not, or the other way round");
    if (before.read && (after.warnings > before.warnings || after.width != before.width ||
                        after.height != before.height || after.layout != before.layout ||
                        after.values != before.values))
        Fail("the re-coded stream is a different picture");
    QByteArray again;
    if (!platform::testing::RecodeJpegTables(recoded, &again) || again != recoded)
        Fail("a re-coded stream does not re-code to itself");
    return 0;
}

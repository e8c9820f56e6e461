#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <cstdlib>
#include <memory>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

#include "imaging/Error.h"
#include "imaging/ImageWriters.h"
#include "imaging/ReplacingFile.h"

namespace pagrovix {
namespace {

constexpr std::size_t kFirstOutputSize = 1 << 16;

// libjpeg reports errors by calling error_exit, which must not return. It jumps back to Encode(),
// so no C++ exception ever passes through libjpeg's C frames.
struct JumpingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// A growing memory destination whose block this code owns, so it is freed on the error paths as
// well (libjpeg's own memory destination keeps a grown block where only it can reach).
struct GrowingOutput {
    jpeg_destination_mgr manager;
    std::uint8_t* data;
    std::size_t capacity;
    std::size_t Size() const { return capacity - manager.free_in_buffer; }
};

void StartOutput(j_compress_ptr info) {
    auto* output = reinterpret_cast<GrowingOutput*>(info->dest);
    output->manager.next_output_byte = output->data;
    output->manager.free_in_buffer = output->capacity;
}

boolean GrowOutput(j_compress_ptr info) {
    auto* output = reinterpret_cast<GrowingOutput*>(info->dest);
    // Called only when the block is full; large blocks grow by remapping, without a copy.
    const std::size_t used = output->capacity;
    const std::size_t capacity = used * 2;
    auto* data = static_cast<std::uint8_t*>(std::realloc(output->data, capacity));
    if (data == nullptr) {
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    }
    output->data = data;
    output->capacity = capacity;
    output->manager.next_output_byte = data + used;
    output->manager.free_in_buffer = capacity - used;
    return TRUE;
}

void EndOutput(j_compress_ptr) {}

// Everything libjpeg holds for one file; released on every way out.
struct Encoder {
    Encoder() = default;
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder() {
        jpeg_destroy_compress(&info);
        std::free(output.data);
    }

    jpeg_compress_struct info{};
    JumpingErrors errors{};
    GrowingOutput output{};
};

// Returns 0, or libjpeg's message code when it failed. longjmp lands in this frame, so it holds
// no object with a destructor, and all state it changes lives in encoder.
int Encode(Encoder& encoder, const Bitmap24& bitmap, int quality, std::uint8_t* row) {
    jpeg_compress_struct& info = encoder.info;
    info.err = jpeg_std_error(&encoder.errors.manager);
    encoder.errors.manager.error_exit = JumpOut;
    encoder.errors.manager.output_message = IgnoreMessage;
    if (setjmp(encoder.errors.jump) != 0) {
        return encoder.errors.manager.msg_code;
    }
    jpeg_create_compress(&info);

    encoder.output.data = static_cast<std::uint8_t*>(std::malloc(kFirstOutputSize));
    if (encoder.output.data == nullptr) {
        ERREXIT1(&info, JERR_OUT_OF_MEMORY, 0);
    }
    encoder.output.capacity = kFirstOutputSize;
    encoder.output.manager.init_destination = StartOutput;
    encoder.output.manager.empty_output_buffer = GrowOutput;
    encoder.output.manager.term_destination = EndOutput;
    info.dest = &encoder.output.manager;

    info.image_width = JDIMENSION(bitmap.Width());
    info.image_height = JDIMENSION(bitmap.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_FLOAT;
    jpeg_start_compress(&info, TRUE);

    JSAMPROW rows[1] = {row};
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* bgr = bitmap.Row(int(info.next_scanline)).data();
        for (std::size_t i = 0; i < bitmap.Stride(); i += 3) {
            row[i] = bgr[i + 2];
            row[i + 1] = bgr[i + 1];
            row[i + 2] = bgr[i];
        }
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    return 0;
}

}  // namespace

void WriteJpegFile(const Bitmap24& bitmap, const std::string& path, int quality) {
    if (bitmap.Empty()) {
        throw Error("Cannot save an empty picture");
    }
    ReplacingFile file(path);
    const auto row = std::make_unique_for_overwrite<std::uint8_t[]>(bitmap.Stride());
    Encoder encoder;
    if (const int code = Encode(encoder, bitmap, quality, row.get())) {
        throw Error("JPEG error #" + std::to_string(code));
    }
    file.Write(encoder.output.data, encoder.output.Size());
    file.Commit();
}

}  // namespace pagrovix

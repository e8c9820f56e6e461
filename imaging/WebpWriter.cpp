#include <webp/encode.h>

#include <memory>
#include <string>

#include "imaging/Error.h"
#include "imaging/ImageWriters.h"
#include "imaging/ReplacingFile.h"

namespace pagrovix {
namespace {

struct PictureFree {
    void operator()(WebPPicture* picture) const { WebPPictureFree(picture); }
};

struct WriterClear {
    void operator()(WebPMemoryWriter* writer) const { WebPMemoryWriterClear(writer); }
};

const char* EncoderReason(WebPEncodingError error) {
    switch (error) {
        case VP8_ENC_ERROR_OUT_OF_MEMORY:
        case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
            return "there is not enough memory";
        case VP8_ENC_ERROR_BAD_DIMENSION:
            return "the picture is too large";
        case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
        case VP8_ENC_ERROR_PARTITION_OVERFLOW:
        case VP8_ENC_ERROR_FILE_TOO_BIG:
            return "the file would be too large";
        default:
            return "the encoder failed";
    }
}

}  // namespace

void WriteWebpFile(const Bitmap24& bitmap, const std::string& path, int quality) {
    if (bitmap.Empty()) {
        throw Error("Cannot save an empty picture");
    }
    if (bitmap.Width() > WEBP_MAX_DIMENSION || bitmap.Height() > WEBP_MAX_DIMENSION) {
        throw Error("The picture is " + std::to_string(bitmap.Width()) + " x " +
                    std::to_string(bitmap.Height()) +
                    " pixels, but a WebP file holds at most 16383 x 16383");
    }
    WebPConfig config;
    if (!WebPConfigInit(&config)) {
        throw Error("The WebP encoder does not match its headers");
    }
    config.lossless = quality == kWebpLossless ? 1 : 0;
    config.quality = quality == kWebpLossless ? 75.0f : float(quality);
    // Both cores where the encoder can use them: tall pages take seconds.
    config.thread_level = 1;

    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.width = bitmap.Width();
    picture.height = bitmap.Height();
    picture.use_argb = config.lossless;
    const std::unique_ptr<WebPPicture, PictureFree> pictureOwner(&picture);
    if (!WebPPictureImportBGR(&picture, bitmap.Row(0).data(), int(bitmap.Stride()))) {
        throw Error("There is not enough memory to encode the WebP file");
    }

    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    const std::unique_ptr<WebPMemoryWriter, WriterClear> memoryOwner(&memory);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &memory;
    if (!WebPEncode(&config, &picture)) {
        throw Error(std::string("Cannot encode the WebP file: ") + EncoderReason(picture.error_code));
    }

    ReplacingFile file(path);
    file.Write(memory.mem, memory.size);
    file.Commit();
}

}  // namespace pagrovix

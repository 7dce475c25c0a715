// JPEG reading and writing through libjpeg, with errors turned into EPictureError.
//
// libjpeg reports errors by calling a handler that must not return; ours jumps back to the
// function that started the work, which releases libjpeg's state and throws. Functions holding
// the jump point keep only plain data in their own frame, so the jump skips no destructor.
// A stream that ends early or whose entropy data is corrupt is an error too (libjpeg would only
// warn and fill the rest with grey), so a damaged file never passes for a picture. The header's
// size is checked against a fixed maximum and against the input length before the pixel buffer
// is allocated.
#include "platform/Picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace {

struct TJpegErrorManager {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->Message);
    std::longjmp(err->Jump, 1);
}

// Warnings about a damaged stream are fatal; harmless ones (stray bytes between markers, which
// some cameras write) are ignored, as are trace messages.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    if (cinfo->err->msg_code == JWRN_EXTRANEOUS_DATA) return;
    OnError(cinfo);
}

void InstallErrorManager(TJpegErrorManager& err) {
    jpeg_std_error(&err.Pub);
    err.Pub.error_exit = OnError;
    err.Pub.emit_message = OnMessage;
    err.Message[0] = '\0';
}

// An input this short cannot describe more than this many pixels per byte, even as a flat
// progressive image; anything beyond is a forged header.
constexpr std::int64_t MaxPixelsPerInputByte = 4096;

bool CheckSize(std::int64_t width, std::int64_t height, std::size_t inputSize, char* message) {
    const char* why = nullptr;
    if (width <= 0 || height <= 0)
        why = "width or height is zero";
    else if (width * height > MaxPicturePixels)
        why = "picture is too large";
    else if (width * height > (std::int64_t(inputSize) + 1024) * MaxPixelsPerInputByte)
        why = "picture is too large for its data";
    if (why) std::snprintf(message, JMSG_LENGTH_MAX, "%s", why);
    return why == nullptr;
}

// Returns false with a message on failure. `image` belongs to the caller, so a jump out of
// libjpeg leaves it a valid (if partly filled) object.
bool Decode(const unsigned char* data, std::size_t size, bool headerOnly, TRasterImage& image,
            char* message) {
    jpeg_decompress_struct cinfo;
    TJpegErrorManager err;
    cinfo.err = &err.Pub;
    InstallErrorManager(err);
    JSAMPLE* volatile row = nullptr;
    if (setjmp(err.Jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.Message);
        std::free(row);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (!CheckSize(cinfo.image_width, cinfo.image_height, size, message)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    image.Width = int(cinfo.image_width);
    image.Height = int(cinfo.image_height);
    if (headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    int components = cinfo.output_components;
    image.Pixels.assign(std::size_t(image.Width) * image.Height, 0xFF000000);
    row = static_cast<JSAMPLE*>(std::malloc(std::size_t(image.Width) * components));
    if (!row) {
        std::snprintf(message, JMSG_LENGTH_MAX, "out of memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row};
        std::uint32_t* out = image.Pixels.data() + std::size_t(cinfo.output_scanline) * image.Width;
        jpeg_read_scanlines(&cinfo, rows, 1);
        for (int x = 0; x < image.Width; ++x) {
            const JSAMPLE* p = row + x * components;
            std::uint32_t r, g, b;
            if (cmyk) {
                // Adobe writes inverted CMYK; the product with K gives the displayed colour.
                r = p[0] * p[3] / 255, g = p[1] * p[3] / 255, b = p[2] * p[3] / 255;
            } else {
                r = p[0], g = p[1], b = p[2];
            }
            out[x] = 0xFF000000 | r << 16 | g << 8 | b;
        }
    }
    jpeg_finish_decompress(&cinfo);
    std::free(row);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// A destination that fills a string the caller keeps: it starts at the string's capacity and
// doubles when full, so a buffer reused for picture after picture stops growing after the first.
struct TStringDestination {
    jpeg_destination_mgr Pub;
    std::string* Out;
};

bool Grow(std::string& out, std::size_t size) {
    try {
        out.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TStringDestination*>(cinfo->dest);
    std::string& out = *dest->Out;
    // The error jump must not leave a C++ handler, so the failure is raised after it.
    if (!Grow(out, std::max<std::size_t>(out.capacity(), 65536)))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->Pub.next_output_byte = reinterpret_cast<JOCTET*>(out.data());
    dest->Pub.free_in_buffer = out.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TStringDestination*>(cinfo->dest);
    std::string& out = *dest->Out;
    const std::size_t used = out.size();
    if (!Grow(out, used * 2)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->Pub.next_output_byte = reinterpret_cast<JOCTET*>(out.data()) + used;
    dest->Pub.free_in_buffer = out.size() - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TStringDestination*>(cinfo->dest);
    dest->Out->resize(dest->Out->size() - dest->Pub.free_in_buffer);
}

bool Encode(int width, int height, const TRasterRowSource& source, const TJpegOptions& options,
            std::string& out, char* message) {
    jpeg_compress_struct cinfo;
    TJpegErrorManager err;
    TStringDestination dest{};
    dest.Pub.init_destination = InitDestination;
    dest.Pub.empty_output_buffer = EmptyOutputBuffer;
    dest.Pub.term_destination = TermDestination;
    dest.Out = &out;
    cinfo.err = &err.Pub;
    InstallErrorManager(err);
    JSAMPLE* volatile row = nullptr;
    if (setjmp(err.Jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.Message);
        std::free(row);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &dest.Pub;
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
#if defined(JCS_EXTENSIONS) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // A 0xAARRGGBB word lies in memory as B, G, R, A: libjpeg-turbo reads such rows as they are,
    // which spares a conversion of every pixel (the compressed data is the same).
    const bool direct = true;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
#else
    const bool direct = false;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
#endif
    jpeg_set_defaults(&cinfo);
    if (options.Greyscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    int quality = options.Quality < 1 ? 1 : options.Quality > 100 ? 100 : options.Quality;
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (options.Progressive) jpeg_simple_progression(&cinfo);
    if (!direct) row = static_cast<JSAMPLE*>(std::malloc(std::size_t(width) * 3));
    if (!direct && !row) {
        std::snprintf(message, JMSG_LENGTH_MAX, "out of memory");
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint32_t* in = source(int(cinfo.next_scanline));
        if (direct) {
            JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(const_cast<std::uint32_t*>(in))};
            jpeg_write_scanlines(&cinfo, rows, 1);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            row[3 * x] = JSAMPLE(in[x] >> 16);
            row[3 * x + 1] = JSAMPLE(in[x] >> 8);
            row[3 * x + 2] = JSAMPLE(in[x]);
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::free(row);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

TRasterImage DecodeJpeg(std::string_view bytes) {
    TRasterImage image;
    char message[JMSG_LENGTH_MAX];
    if (!Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), false, image, message))
        throw EPictureError(std::string("Invalid JPEG: ") + message);
    return image;
}

std::pair<int, int> JpegSize(std::string_view bytes) {
    TRasterImage image;
    char message[JMSG_LENGTH_MAX];
    if (!Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), true, image, message))
        throw EPictureError(std::string("Invalid JPEG: ") + message);
    return {image.Width, image.Height};
}

std::string EncodeJpeg(const TRasterImage& image, const TJpegOptions& options) {
    if (image.Pixels.size() != std::size_t(std::max(image.Width, 0)) * std::size_t(std::max(image.Height, 0)))
        throw EPictureError("Cannot write an empty or inconsistent picture as JPEG");
    std::string out;
    const std::uint32_t* pixels = image.Pixels.data();
    const std::size_t width = std::size_t(std::max(image.Width, 0));
    EncodeJpeg(image.Width, image.Height, [&](int y) { return pixels + std::size_t(y) * width; }, options, out);
    out.shrink_to_fit(); // a picture kept for long holds no more than its bytes
    return out;
}

void EncodeJpeg(int width, int height, const TRasterRowSource& rows, const TJpegOptions& options,
                std::string& out) {
    if (width <= 0 || height <= 0) throw EPictureError("Cannot write an empty or inconsistent picture as JPEG");
    char message[JMSG_LENGTH_MAX];
    if (!Encode(width, height, rows, options, out, message)) {
        out.clear();
        throw EPictureError(std::string("Cannot write JPEG: ") + message);
    }
}

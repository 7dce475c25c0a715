// libFuzzer target: the picture decoders a report file's views and backgrounds reach - BMP and
// packed DIB, JPEG (libjpeg), icon, and the kind detection in front of them. The first byte
// chooses the decoder; any bytes give a picture or EPictureError, never a crash or an allocation
// beyond the decoders' pixel bound.
#include "platform/Picture.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        switch (data[0] % 6) {
        case 0:
            TPicture::Load(bytes);
            break;
        case 1:
            DecodeBmp(bytes);
            break;
        case 2:
            DecodeDib(bytes);
            break;
        case 3:
            DecodeJpeg(bytes);
            break;
        case 4:
            JpegSize(bytes);
            break;
        default:
            TPicture::LoadIcon(bytes);
            break;
        }
    } catch (const EPictureError&) {
    }
    return 0;
}

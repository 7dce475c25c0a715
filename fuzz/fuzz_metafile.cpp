// Metafile player: bytes of any content played onto the fixed-metrics canvas must give a drawing
// or EPictureError, never a crash, a hang or an unbounded allocation.

#include "platform/FixedCanvas.h"
#include "platform/MetafilePlayer.h"
#include "platform/Picture.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TFixedCanvas canvas;
    try {
        PlayMetafile(bytes, canvas, TRect{0, 0, 300, 200});
    } catch (const EPictureError&) {
    }
    return 0;
}

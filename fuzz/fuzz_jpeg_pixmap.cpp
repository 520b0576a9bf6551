// Protects the JPEG decoder behind LoadPixmap: hostile or truncated files must be refused
// cleanly (libjpeg's longjmp never skipping a destructor), no header may make it reserve more
// than a largest legal image, and nothing it returns is larger than MAX_IMAGE_DIMENSION.
#include <cstddef>
#include <cstdint>

#include "engine/graphics/pixmap.h"
#include "engine/system/ram_stream.h"
#include "fuzz/pixmap_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Only the JPEG decoder in the chain, so every input's coverage is JPEG coverage.
    RegisterPixmapLoader(NewJpegLoader());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto stream =
        TRamStream::Create(static_cast<const void*>(data), static_cast<std::int64_t>(size), 1, 0);
    CheckLoadedPixmap(LoadPixmap(*stream));
    return 0;
}

// Protects the PNG decoder behind LoadPixmap: hostile or truncated files must be refused
// cleanly (libpng's longjmp never skipping a destructor), no header may make it reserve more
// than a largest legal image, and nothing it returns is larger than MAX_IMAGE_DIMENSION.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/graphics/pixmap.h"
#include "engine/system/ram_stream.h"
#include "fuzz/checksums.h"
#include "fuzz/pixmap_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Only the PNG decoder in the chain, so every input's coverage is PNG coverage.
    RegisterPixmapLoader(NewPngLoader());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Damaged checksums are refused at once (the unit tests cover that); mended ones let each
    // mutation reach the chunk it changed.
    std::vector<std::uint8_t> bytes(data, data + size);
    FixPngChunkCrcs(bytes);
    auto stream = TRamStream::Create(static_cast<const void*>(bytes.data()),
                                     static_cast<std::int64_t>(bytes.size()), 1, 0);
    CheckLoadedPixmap(LoadPixmap(*stream));
    return 0;
}

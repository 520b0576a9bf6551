// The checks both image targets apply to whatever a loader hands back: the size limit, a
// buffer that really holds every row, and a conversion that reads all of it.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/graphics/pixmap.h"
#include "fuzz/fuzz_check.h"

inline void CheckLoadedPixmap(const std::shared_ptr<TPixmap>& pixmap) {
    if (!pixmap) return;
    FUZZ_CHECK(pixmap->width >= 1 && pixmap->width <= MAX_IMAGE_DIMENSION);
    FUZZ_CHECK(pixmap->height >= 1 && pixmap->height <= MAX_IMAGE_DIMENSION);
    const int bpp = BytesPerPixel(pixmap->format);
    FUZZ_CHECK(bpp > 0);
    FUZZ_CHECK(pixmap->pixels != nullptr);
    FUZZ_CHECK(pixmap->pitch >= pixmap->width * bpp);
    // Reading every byte lets AddressSanitizer see a buffer shorter than its rows.
    unsigned sum = 0;
    for (int y = 0; y < pixmap->height; ++y) {
        const std::uint8_t* row = pixmap->PixelPtr(0, y);
        for (int i = 0; i < pixmap->width * bpp; ++i) sum += row[i];
    }
    (void)sum;
    // Small results also go through the conversion every texture upload makes.
    if (static_cast<long>(pixmap->width) * pixmap->height <= 256 * 256) {
        auto rgba = pixmap->Convert(PF_RGBA8888);
        FUZZ_CHECK(rgba && rgba->width == pixmap->width && rgba->height == pixmap->height);
    }
}

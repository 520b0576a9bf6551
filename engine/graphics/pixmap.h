// CPU-side pixel buffers: the six byte layouts, conversion between them, colour-key masking,
// resampling, and loading PNG/JPEG data through a chain of registered loaders.
//
// Every conversion goes through one RGBA row, so a format only needs a to-RGBA and a
// from-RGBA routine. Views (Window) share their parent's memory and keep it alive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TStream;

// Pixel formats; the value is the byte layout in memory, left to right.
constexpr int PF_I8 = 1;        // intensity
constexpr int PF_A8 = 2;        // alpha
constexpr int PF_BGR888 = 3;    // B, G, R
constexpr int PF_RGB888 = 4;    // R, G, B
constexpr int PF_BGRA8888 = 5;  // B, G, R, A
constexpr int PF_RGBA8888 = 6;  // R, G, B, A: the working format of conversions and textures

// Bytes per pixel of a format (0 for an unknown one).
int BytesPerPixel(int format);
// True for the formats with an alpha channel (PF_A8, PF_BGRA8888, PF_RGBA8888); only these
// escape colour-key masking and serve as collision masks.
bool FormatHasAlpha(int format);

class TPixmap : public std::enable_shared_from_this<TPixmap> {
  public:
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes per row
    int format = 0;
    int capacity = 0;               // bytes owned; -1 for a view on someone else's memory
    std::shared_ptr<void> _source;  // what a view keeps alive (its parent, or foreign memory)

    TPixmap() = default;
    ~TPixmap();
    TPixmap(const TPixmap&) = delete;
    TPixmap& operator=(const TPixmap&) = delete;

    std::uint8_t* PixelPtr(int x, int y) const;
    // A view of the rectangle sharing this pixmap's memory (same pitch and format).
    std::shared_ptr<TPixmap> Window(int x, int y, int w, int h);
    // A packed copy (align 4) in the same format.
    std::shared_ptr<TPixmap> Copy() const;
    // Converts each row of `src` into this pixmap from (x, y) on; no clipping.
    void Paste(const TPixmap& src, int x, int y);
    // A packed copy (align 4) in `format`.
    std::shared_ptr<TPixmap> Convert(int format) const;
    // The pixel as 0xAARRGGBB; channels the format lacks read as documented per format.
    std::uint32_t ReadPixel(int x, int y) const;
    // Stores the channels of 0xAARRGGBB that the format has (PF_I8 keeps (R+G+B)/3).
    void WritePixel(int x, int y, std::uint32_t argb);
    // Writes `argb` to every pixel, row by row.
    void ClearPixels(std::uint32_t argb);

    // A new pixmap whose pitch is width * bytes-per-pixel rounded up to `align`; contents
    // undefined. Null for a negative size or unknown format.
    [[nodiscard]] static std::shared_ptr<TPixmap> Create(int width, int height, int format,
                                                         int align = 4);
    // A pixmap over memory the caller owns and keeps alive; `capacity` is -1.
    [[nodiscard]] static std::shared_ptr<TPixmap> CreateStatic(void* pixels, int width, int height,
                                                               int pitch, int format);

  private:
    std::uint8_t* owned_ = nullptr;
};

// Converts `count` pixels of one row between formats (through RGBA when they differ).
void ConvertPixels(const std::uint8_t* src, int src_format, std::uint8_t* dst, int dst_format,
                   int count);

[[nodiscard]] std::shared_ptr<TPixmap> CreatePixmap(int width, int height, int format,
                                                    int align = 4);
[[nodiscard]] std::shared_ptr<TPixmap> CreateStaticPixmap(void* pixels, int width, int height,
                                                          int pitch, int format);
[[nodiscard]] std::shared_ptr<TPixmap> ConvertPixmap(const std::shared_ptr<TPixmap>& pixmap,
                                                     int format);
[[nodiscard]] std::shared_ptr<TPixmap> CopyPixmap(const std::shared_ptr<TPixmap>& pixmap);
[[nodiscard]] std::shared_ptr<TPixmap> PixmapWindow(const std::shared_ptr<TPixmap>& pixmap, int x,
                                                    int y, int w, int h);

// A PF_RGBA8888 copy where pixels of the colour (mr, mg, mb) become transparent and take the
// average colour of their unmasked 3x3 neighbours; every other pixel becomes opaque.
[[nodiscard]] std::shared_ptr<TPixmap> MaskPixmap(const std::shared_ptr<TPixmap>& pixmap, int mr,
                                                  int mg, int mb);
// Bilinear resampling to w x h with pixel-centre mapping; keeps the source format.
[[nodiscard]] std::shared_ptr<TPixmap> ResizePixmap(const std::shared_ptr<TPixmap>& pixmap, int w,
                                                    int h);

// One decoder in the loader chain. Returns null when the data is not its format or is bad.
class TPixmapLoader {
  public:
    virtual ~TPixmapLoader() = default;
    [[nodiscard]] virtual std::shared_ptr<TPixmap> LoadPixmap(TStream& stream) = 0;

    std::shared_ptr<TPixmapLoader> _succ;  // next (older) loader in the chain
};

// Links `loader` at the front of the chain: the newest loader is tried first.
void RegisterPixmapLoader(const std::shared_ptr<TPixmapLoader>& loader);
// Unlinks `loader` if it is in the chain (tests use this to undo a registration).
void UnregisterPixmapLoader(const std::shared_ptr<TPixmapLoader>& loader);
// The newest loader, or null.
std::shared_ptr<TPixmapLoader> FirstPixmapLoader();

// Opens `url` for reading and tries every loader from its start position; the stream is
// closed in every case. Null when nothing opens or no loader accepts the data.
[[nodiscard]] std::shared_ptr<TPixmap> LoadPixmap(const std::string& url);
// The same over an open stream (not closed here; the caller owns it).
[[nodiscard]] std::shared_ptr<TPixmap> LoadPixmap(TStream& stream);

// Registers the JPEG loader, then the PNG loader (so PNG is tried first). Idempotent.
void StartImageLoaders();

// Decoders registered by StartImageLoaders, for direct use and tests.
std::shared_ptr<TPixmapLoader> NewPngLoader();
std::shared_ptr<TPixmapLoader> NewJpegLoader();

// Any header announcing more pixels than this in either dimension is refused.
constexpr int MAX_IMAGE_DIMENSION = 8192;

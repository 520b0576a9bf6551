// The loader chain: decoders are tried newest first over one stream, each from the same start
// position; a decoder that says no, or fails in any way, just passes the stream on.
#include "engine/graphics/pixmap.h"
#include "engine/system/stream.h"

namespace {

std::shared_ptr<TPixmapLoader>& ChainHead() {
    static std::shared_ptr<TPixmapLoader> head;
    return head;
}

}  // namespace

void RegisterPixmapLoader(const std::shared_ptr<TPixmapLoader>& loader) {
    if (!loader) return;
    loader->_succ = ChainHead();
    ChainHead() = loader;
}

void UnregisterPixmapLoader(const std::shared_ptr<TPixmapLoader>& loader) {
    if (!loader) return;
    std::shared_ptr<TPixmapLoader>* link = &ChainHead();
    while (*link) {
        if (*link == loader) {
            *link = loader->_succ;
            loader->_succ.reset();
            return;
        }
        link = &(*link)->_succ;
    }
}

std::shared_ptr<TPixmapLoader> FirstPixmapLoader() {
    return ChainHead();
}

std::shared_ptr<TPixmap> LoadPixmap(TStream& stream) {
    std::int64_t start;
    try {
        start = stream.Pos();
    } catch (...) {
        return nullptr;
    }
    if (start == -1) return nullptr;
    for (auto loader = ChainHead(); loader; loader = loader->_succ) {
        try {
            if (stream.Seek(start) != start) return nullptr;
            if (auto pixmap = loader->LoadPixmap(stream)) return pixmap;
        } catch (...) {
            // A decoder that throws (stream error, out of memory) counts as a refusal.
        }
    }
    return nullptr;
}

std::shared_ptr<TPixmap> LoadPixmap(const std::string& url) {
    std::shared_ptr<TStream> stream;
    try {
        stream = OpenReadStream(url);
    } catch (...) {
        return nullptr;
    }
    if (!stream) return nullptr;
    auto pixmap = LoadPixmap(*stream);
    try {
        stream->Close();
    } catch (...) {
    }
    return pixmap;
}

void StartImageLoaders() {
    static bool started = false;
    if (started) return;
    started = true;
    RegisterPixmapLoader(NewJpegLoader());
    RegisterPixmapLoader(NewPngLoader());
}

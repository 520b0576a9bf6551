// The chain of protocol handlers and the URL dispatch that asks them.
#include <memory>

#include "engine/system/ram_stream.h"
#include "engine/system/stream.h"

namespace {

TStreamFactory* factories = nullptr;  // newest first

}  // namespace

TStreamFactory::TStreamFactory() : succ_(factories) {
    factories = this;
}

TStreamFactory::~TStreamFactory() {
    for (TStreamFactory** link = &factories; *link; link = &(*link)->succ_) {
        if (*link == this) {
            *link = succ_;
            break;
        }
    }
}

std::shared_ptr<TStream> OpenStream(const std::string& url, int readable, int writeable) {
    std::string proto;
    std::string path;
    if (!url.empty()) {
        const std::size_t sep = url.find("::");
        if (sep == std::string::npos) return TCStream::OpenFile(url, readable, writeable);
        proto = url.substr(0, sep);
        for (char& c : proto) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        path = url.substr(sep + 2);
    }
    for (TStreamFactory* factory = factories; factory; factory = factory->succ_) {
        if (auto stream = factory->CreateStream(url, proto, path, readable, writeable)) {
            return stream;
        }
    }
    return nullptr;
}

std::shared_ptr<TStream> OpenStream(const char* url, int readable, int writeable) {
    return OpenStream(std::string(url ? url : ""), readable, writeable);
}

std::shared_ptr<TStream> OpenStream(const std::shared_ptr<TStream>& stream, int readable,
                                    int writeable) {
    if (!stream) return OpenStream(std::string(), readable, writeable);
    return TStreamStream::Create(stream);
}

std::shared_ptr<TStream> OpenReadStream(const std::string& url) {
    return OpenStream(url, 1, 0);
}
std::shared_ptr<TStream> OpenReadStream(const char* url) {
    return OpenStream(url, 1, 0);
}
std::shared_ptr<TStream> OpenReadStream(const std::shared_ptr<TStream>& stream) {
    return OpenStream(stream, 1, 0);
}

void StartStreamModules() {
    // Lives for the whole run; the chain holds it by address.
    static TRamStreamFactory* incbin = new TRamStreamFactory();
    (void)incbin;
}

// The registry of files carried inside the executable, looked up by exact name.
#include <forward_list>

#include "engine/system/stream.h"

namespace {

struct TEmbeddedFile {
    std::string name;
    const void* data;
    int size;
};

std::forward_list<TEmbeddedFile>& Registry() {
    static std::forward_list<TEmbeddedFile> files;  // newest first
    return files;
}

const TEmbeddedFile* Find(const std::string& name) {
    for (const TEmbeddedFile& file : Registry()) {
        if (file.name == name) return &file;
    }
    return nullptr;
}

}  // namespace

int RegisterEmbeddedFile(const std::string& name, const void* data, int size) {
    // A negative length would let a memory stream read before or past its bytes.
    if (size < 0 || Find(name)) return 0;
    Registry().push_front({name, data, size});
    return 1;
}

const void* EmbeddedFileData(const std::string& name) {
    const TEmbeddedFile* file = Find(name);
    return file ? file->data : nullptr;
}

int EmbeddedFileSize(const std::string& name) {
    const TEmbeddedFile* file = Find(name);
    return file ? file->size : 0;
}

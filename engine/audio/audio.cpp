// The driver registry with its default choice, the sample-loader chain and the thin API
// functions the game calls. Main thread only.
#include "engine/audio/audio.h"

#include <cstdlib>

#include "engine/audio/internal/audio_modules.h"
#include "engine/system/runtime_error.h"
#include "engine/system/stream.h"

namespace {

TAudioSampleLoader* loader_chain = nullptr;
TAudioDriver* driver_chain = nullptr;
TAudioDriver* current_driver = nullptr;
TAudioDriver* null_driver = nullptr;

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

template <typename T>
void Unlink(T*& head, T* item) {
    for (T** link = &head; *link; link = &(*link)->_succ) {
        if (*link == item) {
            *link = item->_succ;
            return;
        }
    }
}

// The built-in silent driver exists as soon as anything needs a fallback.
TAudioDriver& NullDriver() {
    if (!null_driver) null_driver = new TAudioDriver();
    return *null_driver;
}

}  // namespace

TAudioSampleLoader::TAudioSampleLoader() : _succ(loader_chain) {
    loader_chain = this;
}

TAudioSampleLoader::~TAudioSampleLoader() {
    Unlink(loader_chain, this);
}

std::shared_ptr<TChannel> TSound::Play(const std::shared_ptr<TChannel>&) {
    return std::make_shared<TChannel>();
}

std::shared_ptr<TChannel> TSound::Cue(const std::shared_ptr<TChannel>&) {
    return std::make_shared<TChannel>();
}

std::shared_ptr<TSound> TSound::Load(const std::string& url, int flags) {
    auto sample = LoadAudioSample(url);
    if (!sample) return nullptr;
    return AudioDriver().CreateSoundTakingSample(std::move(sample), flags);
}

std::shared_ptr<TSound> TSound::Load(const std::shared_ptr<TAudioSample>& sample, int flags) {
    if (!sample) return nullptr;
    return AudioDriver().CreateSound(sample, flags);
}

TAudioDriver::TAudioDriver() : _succ(driver_chain) {
    driver_chain = this;
}

TAudioDriver::~TAudioDriver() {
    Unlink(driver_chain, this);
    if (current_driver == this) current_driver = nullptr;
    if (null_driver == this) null_driver = nullptr;
}

std::string TAudioDriver::Name() {
    return "Null";
}

int TAudioDriver::Startup() {
    return 1;
}

void TAudioDriver::Shutdown() {}

std::shared_ptr<TSound> TAudioDriver::CreateSound(const std::shared_ptr<TAudioSample>&, int) {
    return std::make_shared<TSound>();
}

std::shared_ptr<TSound> TAudioDriver::CreateSoundTakingSample(std::shared_ptr<TAudioSample> sample,
                                                              int flags) {
    return CreateSound(sample, flags);
}

std::shared_ptr<TChannel> TAudioDriver::AllocChannel() {
    return std::make_shared<TChannel>();
}

void StartAudioModules() {
    static bool started = false;
    if (started) return;
    started = true;
    // Newest first: the chains end up as WAV then Ogg, and "Mixa" before "Mixa Multimedia"
    // before "Null".
    NullDriver();
    RegisterOggLoader();
    RegisterWavLoader();
    RegisterMixaDrivers();
    RegisterOpenALDriver();
    std::atexit(ShutdownAudio);
}

std::shared_ptr<TSound> LoadSound(const std::string& url, int flags) {
    return TSound::Load(url, flags);
}

std::shared_ptr<TSound> LoadSound(const std::shared_ptr<TAudioSample>& sample, int flags) {
    return TSound::Load(sample, flags);
}

std::shared_ptr<TChannel> PlaySound(const std::shared_ptr<TSound>& sound,
                                    const std::shared_ptr<TChannel>& channel) {
    return sound ? sound->Play(channel) : nullptr;
}

std::shared_ptr<TChannel> CueSound(const std::shared_ptr<TSound>& sound,
                                   const std::shared_ptr<TChannel>& channel) {
    return sound ? sound->Cue(channel) : nullptr;
}

std::shared_ptr<TChannel> AllocChannel() {
    return AudioDriver().AllocChannel();
}

void StopChannel(const std::shared_ptr<TChannel>& channel) {
    if (channel) channel->Stop();
}

void PauseChannel(const std::shared_ptr<TChannel>& channel) {
    if (channel) channel->SetPaused(1);
}

void ResumeChannel(const std::shared_ptr<TChannel>& channel) {
    if (channel) channel->SetPaused(0);
}

void SetChannelVolume(const std::shared_ptr<TChannel>& channel, float volume) {
    if (channel) channel->SetVolume(volume);
}

void SetChannelPan(const std::shared_ptr<TChannel>& channel, float pan) {
    if (channel) channel->SetPan(pan);
}

void SetChannelDepth(const std::shared_ptr<TChannel>& channel, float depth) {
    if (channel) channel->SetDepth(depth);
}

void SetChannelRate(const std::shared_ptr<TChannel>& channel, float rate) {
    if (channel) channel->SetRate(rate);
}

int ChannelPlaying(const std::shared_ptr<TChannel>& channel) {
    return channel ? channel->Playing() : 0;
}

std::shared_ptr<TAudioSample> LoadAudioSample(const std::string& url) {
    auto stream = OpenReadStream(url);
    if (!stream) return nullptr;
    const std::int64_t start = stream->Pos();
    if (start == -1) RuntimeError("Stream is not seekable");
    std::shared_ptr<TAudioSample> sample;
    for (TAudioSampleLoader* loader = loader_chain; loader && !sample; loader = loader->_succ) {
        stream->Seek(start);
        try {
            sample = loader->LoadAudioSample(stream);
        } catch (const TStreamException&) {
            sample = nullptr;  // a refusal: the next loader may know the format
        }
    }
    stream->Close();
    return sample;
}

TAudioDriver& AudioDriver() {
    if (!current_driver) {
        if (!SetAudioDriver("Mixa")) SetAudioDriver("Null");
    }
    if (!current_driver) current_driver = &NullDriver();
    return *current_driver;
}

int SetAudioDriver(const std::string& name) {
    const std::string wanted = LowerAscii(name);
    if (current_driver) {
        TAudioDriver* old = current_driver;
        current_driver = nullptr;
        old->Shutdown();
    }
    current_driver = &NullDriver();
    for (TAudioDriver* driver = driver_chain; driver; driver = driver->_succ) {
        if (LowerAscii(driver->Name()) != wanted) continue;
        if (!driver->Startup()) return 0;
        current_driver = driver;
        return 1;
    }
    return 0;
}

std::vector<std::string> AudioDrivers() {
    std::vector<std::string> names;
    for (TAudioDriver* driver = driver_chain; driver && names.size() < 100;
         driver = driver->_succ) {
        names.push_back(driver->Name());
    }
    return names;
}

int AudioDriverExists(const std::string& name) {
    const std::string wanted = LowerAscii(name);
    for (TAudioDriver* driver = driver_chain; driver; driver = driver->_succ) {
        if (LowerAscii(driver->Name()) == wanted) return 1;
    }
    return 0;
}

void ShutdownAudio() {
    if (!current_driver) return;
    TAudioDriver* old = current_driver;
    current_driver = nullptr;
    old->Shutdown();
}

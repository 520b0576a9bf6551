// The multimedia waveform output's rules over the platform's face: the widened play
// position, clearing behind the play position, the fades at the edges of silence, and the
// self-re-arming one-shot timer with a stop that no timer run can outlive.
#include "engine/audio/internal/wave_out_device.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>

namespace {

constexpr std::int64_t kFrameBytes = 4;
constexpr std::int64_t kFadeBytes = TWaveOutDevice::kFadeFrames * kFrameBytes;
// A stop while playing fades this far past the play position, beyond what the platform has
// most likely taken from the buffer already.
constexpr std::int64_t kStopFragments = 2;
// How long a stop waits for its fade to be played, beyond the time the fade should take.
constexpr int kStopSlackMs = 20;
constexpr std::int64_t kBytesPerSecond = MIXA_OUTPUT_HERTZ * kFrameBytes;

}  // namespace

// Every device whose timer is armed, found by the token its timer carries. It is never
// freed: a timer run that starts while the process ends still finds it.
struct TWaveOutDevice::TTimers {
    std::mutex lock;
    std::condition_variable idle;  // a device's last timer run has ended
    std::uintptr_t last_token = 0;
    TWaveOutDevice* first = nullptr;

    void Unlink(TWaveOutDevice* device) {
        for (TWaveOutDevice** at = &first; *at != nullptr; at = &(*at)->next_) {
            if (*at == device) {
                *at = device->next_;
                device->next_ = nullptr;
                return;
            }
        }
    }
};

TWaveOutDevice::TTimers& TWaveOutDevice::Timers() {
    static auto* timers = new TTimers();
    return *timers;
}

TWaveOutDevice::TWaveOutDevice(std::unique_ptr<TWaveOutFace> face) : face_(std::move(face)) {}

TWaveOutDevice::~TWaveOutDevice() {
    Close();
}

bool TWaveOutDevice::Open(std::uint8_t* ring, int ring_bytes) {
    if (opened_ || !face_->Open()) return false;
    if (!face_->Prepare(ring, ring_bytes)) {
        face_->Close();
        return false;
    }
    std::lock_guard<std::recursive_mutex> guard(lock_);
    opened_ = true;
    ring_ = ring;
    ring_bytes_ = ring_bytes;
    playing_ = false;
    raw_ = 0;
    played_ = base_ = written_ = cleared_ = 0;
    fade_in_after_submit_ = fade_in_next_ = false;
    return true;
}

// Main thread, never from a timer run.
void TWaveOutDevice::Close() {
    StopTimer();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!opened_) return;
    face_->Reset();
    face_->Unprepare();
    face_->Close();
    opened_ = false;
    playing_ = false;
}

bool TWaveOutDevice::PlayPosition(std::int64_t& bytes) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!opened_ || !ReadPosition()) return false;
    ClearPlayed();
    bytes = played_ - base_;
    return true;
}

void TWaveOutDevice::Reset() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!opened_) return;
    if (playing_) FadeOutThenWait();
    face_->Reset();
    playing_ = false;
    raw_ = 0;
    played_ = base_ = written_ = cleared_ = 0;
    fade_in_after_submit_ = true;
    fade_in_next_ = false;
}

bool TWaveOutDevice::Submit() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!opened_ || !face_->Write()) return false;
    playing_ = true;
    if (fade_in_after_submit_) {
        fade_in_after_submit_ = false;
        fade_in_next_ = true;
    }
    return true;
}

void TWaveOutDevice::BeginWrite() {
    lock_.lock();
}

void TWaveOutDevice::EndWrite() {
    lock_.unlock();
}

void TWaveOutDevice::Written(std::int64_t end_bytes) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!opened_) return;
    const std::int64_t end = end_bytes + base_;
    if (fade_in_next_ && end > written_) {
        FadeIn(written_, end);
        fade_in_next_ = false;
    }
    written_ = end;
    WriteTail();
}

// Whole laps only, so every count keeps its ring offset; playback is not touched.
bool TWaveOutDevice::Rebase(std::int64_t bytes) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!opened_ || ring_bytes_ == 0 || bytes % ring_bytes_ != 0) return false;
    base_ += bytes;
    return true;
}

// Only when the output runs a timer thread of its own.
void TWaveOutDevice::TimerStarted() {
    face_->RaiseThreadPriority();
}

bool TWaveOutDevice::DriveTicks(std::function<void()> tick) {
    TTimers& timers = Timers();
    std::lock_guard<std::mutex> guard(timers.lock);
    if (!opened_ || token_ != 0) return false;
    tick_ = std::move(tick);
    token_ = ++timers.last_token;
    stopping_ = false;
    priority_raised_ = false;
    next_ = timers.first;
    timers.first = this;
    timer_id_ = face_->SetTimer(MIXA_TICK_MS, token_);
    if (timer_id_ == 0) {
        timers.Unlink(this);
        token_ = 0;
        tick_ = nullptr;
        return false;
    }
    return true;
}

// Timer thread.
void TWaveOutDevice::TimerFired(std::uintptr_t token) {
    TTimers& timers = Timers();
    TWaveOutDevice* device = nullptr;
    bool raise = false;
    {
        std::lock_guard<std::mutex> guard(timers.lock);
        for (device = timers.first; device != nullptr; device = device->next_) {
            if (device->token_ == token) break;
        }
        if (device == nullptr || device->stopping_) return;
        device->timer_id_ = 0;  // a one-shot timer that has fired is spent
        ++device->runs_;
        raise = !device->priority_raised_;
        device->priority_raised_ = true;
    }
    if (raise) device->face_->RaiseThreadPriority();
    device->tick_();
    std::lock_guard<std::mutex> guard(timers.lock);
    // Decided under the lock that StopTimer takes, so a stop either sees the new timer and
    // kills it, or comes first and no timer is armed.
    if (!device->stopping_) device->timer_id_ = device->face_->SetTimer(MIXA_TICK_MS, token);
    if (--device->runs_ == 0) timers.idle.notify_all();
}

void TWaveOutDevice::StopTimer() {
    TTimers& timers = Timers();
    std::uint32_t id = 0;
    {
        std::lock_guard<std::mutex> guard(timers.lock);
        if (token_ == 0) return;
        stopping_ = true;
        id = timer_id_;
        timer_id_ = 0;
        timers.Unlink(this);  // a run that starts from now on finds nothing
    }
    // Outside the lock: the platform's kill may wait for a run that is waiting for the lock.
    if (id != 0) face_->KillTimer(id);
    std::unique_lock<std::mutex> guard(timers.lock);
    timers.idle.wait(guard, [this] { return runs_ == 0; });
    token_ = 0;
    tick_ = nullptr;
}

// The platform's count is 32 bits: it is widened by its signed step, which also keeps a
// count that steps back a little from looking like a wrap.
bool TWaveOutDevice::ReadPosition() {
    std::uint32_t raw = 0;
    if (!face_->Position(raw)) return false;
    played_ += static_cast<std::int32_t>(raw - raw_);
    raw_ = raw;
    return true;
}

// What the platform has played is silence from now on, so a device that runs past the
// written mark finds the tail's fade and then nothing. Never a byte that shares its ring
// offset with the audio still to play or with the tail.
void TWaveOutDevice::ClearPlayed() {
    const std::int64_t to = played_ - played_ % kFrameBytes;
    const std::int64_t from =
        std::max({cleared_, to - ring_bytes_, written_ + kFadeBytes - ring_bytes_});
    if (to > from) Clear(from, to);
    cleared_ = std::max(cleared_, to);
}

// The last written frame, held and faded out over 2 ms, just past the written mark.
void TWaveOutDevice::WriteTail() {
    if (written_ + kFadeBytes > played_ + ring_bytes_) return;  // would reach unplayed audio
    std::int16_t left = 0;
    std::int16_t right = 0;
    if (written_ >= kFrameBytes) {
        left = Value(written_ - kFrameBytes);
        right = Value(written_ - kFrameBytes + 2);
    }
    for (int i = 0; i < kFadeFrames; ++i) {
        const int gain = kFadeFrames - 1 - i;
        const std::int64_t at = written_ + i * kFrameBytes;
        SetValue(at, static_cast<std::int16_t>(left * gain / kFadeFrames));
        SetValue(at + 2, static_cast<std::int16_t>(right * gain / kFadeFrames));
    }
}

// The first audio after a stop rises from silence over 2 ms.
void TWaveOutDevice::FadeIn(std::int64_t from, std::int64_t to) {
    for (int i = 0; i < kFadeFrames - 1 && from + (i + 1) * kFrameBytes <= to; ++i) {
        const int gain = i + 1;
        const std::int64_t at = from + i * kFrameBytes;
        SetValue(at, static_cast<std::int16_t>(Value(at) * gain / kFadeFrames));
        SetValue(at + 2, static_cast<std::int16_t>(Value(at + 2) * gain / kFadeFrames));
    }
}

// A stop while playing: the audio ends a little past the play position with the tail's
// fade, and the platform is given the time to play it before it is stopped. Where the
// written mark comes sooner, its tail is that fade already.
void TWaveOutDevice::FadeOutThenWait() {
    if (!ReadPosition()) return;  // the device is lost: stop at once
    const std::int64_t fragment_bytes = ring_bytes_ / MIXA_RING_FRAGMENTS;
    std::int64_t end = played_ + kStopFragments * fragment_bytes;
    end -= end % kFrameBytes;
    if (end < written_) {
        Clear(end, written_ + kFadeBytes);
        written_ = end;
        WriteTail();
    }
    const std::int64_t until = written_ + kFadeBytes;
    const auto expected =
        static_cast<int>(std::max<std::int64_t>(0, until - played_) * 1000 / kBytesPerSecond);
    for (int waited = 0; played_ < until && waited < expected + kStopSlackMs; ++waited) {
        face_->Sleep(1);
        if (!ReadPosition()) return;
    }
}

void TWaveOutDevice::Clear(std::int64_t from, std::int64_t to) {
    to = std::min(to, from + ring_bytes_);
    while (from < to) {
        const std::int64_t offset = from % ring_bytes_;
        const std::int64_t chunk = std::min(to - from, ring_bytes_ - offset);
        std::memset(ring_ + offset, 0, static_cast<std::size_t>(chunk));
        from += chunk;
    }
}

std::int16_t TWaveOutDevice::Value(std::int64_t at) const {
    const std::uint8_t* p = ring_ + at % ring_bytes_;
    return static_cast<std::int16_t>(p[0] | (p[1] << 8));
}

void TWaveOutDevice::SetValue(std::int64_t at, std::int16_t value) {
    std::uint8_t* p = ring_ + at % ring_bytes_;
    const auto bits = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(bits & 0xFF);
    p[1] = static_cast<std::uint8_t>(bits >> 8);
}

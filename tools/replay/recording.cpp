// Reading and writing the recorded-game text. The parser trusts nothing: every number is
// range-checked and every fault is reported with its line, because recordings are edited by
// hand and copied between machines.
#include "tools/replay/recording.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>

namespace {

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A whole decimal integer in [lo, hi]; a sign is allowed only when lo is negative.
bool ParseInt(std::string_view text, long long lo, long long hi, long long& out) {
    if (text.empty()) return false;
    if (text[0] == '+') return false;
    if (text[0] == '-' && lo >= 0) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && out >= lo && out <= hi;
}

bool ParseEvent(std::string_view word, TReplayEvent& event, std::string& why) {
    using TKind = TReplayEvent::TKind;
    const char tag = word[0];
    const std::string_view rest = word.substr(1);
    long long a = 0;
    long long b = 0;
    switch (tag) {
        case 'm': {
            const std::size_t comma = rest.find(',');
            if (comma == std::string_view::npos ||
                !ParseInt(rest.substr(0, comma), -kMaxPointerCoordinate, kMaxPointerCoordinate,
                          a) ||
                !ParseInt(rest.substr(comma + 1), -kMaxPointerCoordinate, kMaxPointerCoordinate,
                          b)) {
                why = "bad pointer move";
                return false;
            }
            event = {TKind::kMove, static_cast<int>(a), static_cast<int>(b)};
            return true;
        }
        case 'd':
        case 'u':
            if (!ParseInt(rest, 0, 3, a)) {
                why = "bad mouse button (0-3)";
                return false;
            }
            event = {tag == 'd' ? TKind::kButtonDown : TKind::kButtonUp, static_cast<int>(a), 0};
            return true;
        case 'k':
        case 'K':
            if (!ParseInt(rest, 0, 255, a)) {
                why = "bad key code (0-255)";
                return false;
            }
            event = {tag == 'k' ? TKind::kKeyDown : TKind::kKeyUp, static_cast<int>(a), 0};
            return true;
        case 'q':
        case 's':
        case 'r':
            if (!rest.empty()) break;
            event = {static_cast<TKind>(tag), 0, 0};
            return true;
        default:
            break;
    }
    why = "unknown event";
    return false;
}

}  // namespace

bool ParseRecording(const std::string& text, TRecording& out, std::string& error) {
    out = TRecording{};
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    bool haveHeader = false;
    bool haveEnd = false;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string_view line(raw);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string_view> words = SplitWords(line);
        if (words.empty() || words[0][0] == '#') continue;
        if (haveEnd) return fail("text after the end line");
        if (!haveHeader) {
            long long version = 0;
            long long start = 0;
            if (words.size() != 3 || words[0] != "ZANDOR-REPLAY") {
                return fail("expected the header 'ZANDOR-REPLAY <version> <clock start>'");
            }
            if (!ParseInt(words[1], 0, 1'000'000, version) || version != kReplayFormatVersion) {
                return fail("unsupported format version '" + std::string(words[1]) + "'");
            }
            if (!ParseInt(words[2], 0, 0xFFFFFFFFLL, start)) {
                return fail("bad clock start '" + std::string(words[2]) + "'");
            }
            out.clockStart = static_cast<std::uint32_t>(start);
            haveHeader = true;
            continue;
        }
        if (words[0] == "end") {
            long long count = 0;
            if (words.size() != 2 || !ParseInt(words[1], 0, kMaxReplayFrames, count)) {
                return fail("bad end line");
            }
            if (count != static_cast<long long>(out.frames.size())) {
                return fail("the end line counts " + std::to_string(count) +
                            " frames but the file holds " + std::to_string(out.frames.size()));
            }
            haveEnd = true;
            continue;
        }
        long long repeat = 1;
        std::string_view stepText = words[0];
        if (const std::size_t star = stepText.find('*'); star != std::string_view::npos) {
            if (!ParseInt(stepText.substr(0, star), 1, kMaxReplayFrames, repeat)) {
                return fail("bad repeat count in '" + std::string(stepText) + "'");
            }
            stepText = stepText.substr(star + 1);
            if (words.size() > 1) return fail("a repeated frame line cannot carry events");
        }
        long long step = 0;
        if (!ParseInt(stepText, 0, kMaxReplayStep, step)) {
            return fail("bad clock step '" + std::string(stepText) + "'");
        }
        if (static_cast<long long>(out.frames.size()) + repeat > kMaxReplayFrames) {
            return fail("too many frames");
        }
        TReplayFrame frame;
        frame.step = static_cast<std::uint32_t>(step);
        for (std::size_t i = 1; i < words.size(); ++i) {
            TReplayEvent event;
            std::string why;
            if (!ParseEvent(words[i], event, why)) {
                return fail(why + " '" + std::string(words[i]) + "'");
            }
            frame.events.push_back(event);
        }
        out.frames.insert(out.frames.end(), static_cast<std::size_t>(repeat), frame);
    }
    ++lineNo;
    if (!haveHeader) return fail("no header line");
    if (!haveEnd) return fail("missing end line (truncated file?)");
    return true;
}

std::string FormatRecording(const TRecording& recording) {
    std::ostringstream out;
    out << "ZANDOR-REPLAY " << kReplayFormatVersion << ' ' << recording.clockStart << '\n';
    const std::vector<TReplayFrame>& frames = recording.frames;
    for (std::size_t i = 0; i < frames.size();) {
        const TReplayFrame& frame = frames[i];
        if (frame.events.empty()) {
            std::size_t run = 1;
            while (i + run < frames.size() && frames[i + run] == frame) ++run;
            if (run > 1) out << run << '*';
            out << frame.step << '\n';
            i += run;
            continue;
        }
        out << frame.step;
        for (const TReplayEvent& e : frame.events) {
            out << ' ' << static_cast<char>(e.kind);
            switch (e.kind) {
                case TReplayEvent::TKind::kMove:
                    out << e.a << ',' << e.b;
                    break;
                case TReplayEvent::TKind::kButtonDown:
                case TReplayEvent::TKind::kButtonUp:
                case TReplayEvent::TKind::kKeyDown:
                case TReplayEvent::TKind::kKeyUp:
                    out << e.a;
                    break;
                default:
                    break;
            }
        }
        out << '\n';
        ++i;
    }
    out << "end " << frames.size() << '\n';
    return out.str();
}

bool LoadRecording(const std::string& path, TRecording& out, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot open";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!ParseRecording(text.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

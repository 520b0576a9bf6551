// The failure stream: a stream buffer that collects one line, writes it out and shows it.
#include "engine/graphics/failure_report.h"

#include <cstdio>
#include <streambuf>
#include <string>

#include "engine/graphics/internal/failure_box.h"

namespace {

class TFailureLines final : public std::streambuf {
  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        line_ += ch;
        if (ch == '\n') Emit();
        return c;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        for (std::streamsize i = 0; i < n; ++i) overflow(traits_type::to_int_type(s[i]));
        return n;
    }

    int sync() override {
        if (!line_.empty()) Emit();
        return 0;
    }

  private:
    // stderr first and flushed: the box may wait for the player for as long as they like.
    void Emit() {
        std::fwrite(line_.data(), 1, line_.size(), stderr);
        std::fflush(stderr);
        std::string text;
        text.swap(line_);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (!text.empty()) ShowFailureBox(text);
    }

    std::string line_;
};

}  // namespace

std::ostream& FailureReport() {
    static TFailureLines* lines = new TFailureLines;
    static std::ostream* stream = new std::ostream(lines);
    return *stream;
}

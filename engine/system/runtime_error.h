// Programming faults and unrecoverable platform failures end the program with a fixed text.
// They are raised as TRuntimeError so tests can check the text; the entry reports them.
#pragma once

#include <stdexcept>
#include <string>

class TRuntimeError : public std::runtime_error {
  public:
    explicit TRuntimeError(const std::string& text) : std::runtime_error(text) {}
};

[[noreturn]] inline void RuntimeError(const std::string& text) {
    throw TRuntimeError(text);
}

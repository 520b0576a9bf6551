// A 64-bit fingerprint of the gameplay state after a frame: the screen, score, energy, play
// time and wave position, the turret, the random generator, and every enemy, ball and effect
// with its position and state. Two runs that hash alike frame after frame played the same game.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// FNV-1a, 64 bits, fed field by field in a fixed order. Floats go in by their bit patterns
// so that the hash sees every difference, however small.
class TStateHasher {
  public:
    void Bytes(const void* data, std::size_t size);
    void Int(std::int64_t value);
    void Float(float value);
    void Text(std::string_view text);
    std::uint64_t Value() const { return hash_; }

  private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// The fingerprint of the game globals and entity lists as they are now.
std::uint64_t HashGameState();

// Sixteen lower-case hex digits.
std::string HashToHex(std::uint64_t hash);

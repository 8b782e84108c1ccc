#pragma once
// The index from a record key to the first record listed under it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace segdur {

// Longest key a record can have: the bytes of its name before the first NUL.
constexpr std::size_t kMaxKeyLength = 8;

// Maps keys of at most kMaxKeyLength bytes without a NUL to the index of the
// first record added under them. A key is packed into one 64-bit word (its
// bytes, zero padded), which is unambiguous because no key holds a NUL; the
// words live in one open-addressed array, so a lookup costs the same however
// many keys there are.
class KeyIndex {
 public:
  // Index of the first record of `key`, or -1 when no record has that key
  // (a key that is too long or holds a NUL never has one).
  int find(const std::string& key) const {
    std::uint64_t word;
    if (slots_.empty() || !pack(key.data(), key.size(), &word)) return -1;
    for (std::size_t s = slot_of(word);; s = (s + 1) & (slots_.size() - 1)) {
      if (slots_[s].index < 0) return -1;
      if (slots_[s].word == word) return slots_[s].index;
    }
  }

  // Records `index` under `key` unless the key has a record already. Keys
  // that cannot be packed are ignored (find never reports them).
  void add(const std::string& key, int index) {
    std::uint64_t word;
    if (!pack(key.data(), key.size(), &word)) return;
    if (2 * (used_ + 1) > slots_.size()) grow();
    std::size_t s = slot_of(word);
    while (slots_[s].index >= 0) {
      if (slots_[s].word == word) return;
      s = (s + 1) & (slots_.size() - 1);
    }
    slots_[s] = {word, index};
    ++used_;
  }

 private:
  struct Slot {
    std::uint64_t word = 0;
    int index = -1;  // -1: empty
  };

  static bool pack(const char* key, std::size_t length, std::uint64_t* word) {
    if (length > kMaxKeyLength || std::memchr(key, '\0', length) != nullptr) return false;
    unsigned char bytes[kMaxKeyLength] = {};
    std::memcpy(bytes, key, length);
    std::uint64_t w = 0;
    for (std::size_t k = 0; k < kMaxKeyLength; ++k) w |= std::uint64_t{bytes[k]} << (8 * k);
    *word = w;
    return true;
  }

  std::size_t slot_of(std::uint64_t word) const {
    // Fibonacci hashing spreads the few distinct bytes of a triphone over the table.
    return static_cast<std::size_t>((word * 0x9E3779B97F4A7C15ull) >> 32) & (slots_.size() - 1);
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    used_ = 0;
    for (const Slot& slot : old) {
      if (slot.index < 0) continue;
      std::size_t s = slot_of(slot.word);
      while (slots_[s].index >= 0) s = (s + 1) & (slots_.size() - 1);
      slots_[s] = slot;
      ++used_;
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

}  // namespace segdur

#pragma once
// An owned file descriptor, closed when its owner goes.

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace segdur {

// Owns one open descriptor, or none (-1), or stands for the working folder
// (AT_FDCWD), which is never closed. Moves hand the descriptor on.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  ~Descriptor() { reset(); }
  Descriptor(Descriptor&& other) noexcept : descriptor_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  // The working folder, for the *at calls.
  static Descriptor working_folder() { return Descriptor(AT_FDCWD); }

  int get() const { return descriptor_; }
  // True for an open descriptor and for the working folder.
  bool valid() const { return descriptor_ >= 0 || descriptor_ == AT_FDCWD; }
  // Gives the descriptor up without closing it; this then holds none.
  int release() { return std::exchange(descriptor_, -1); }
  // Closes what is held (errors ignored) and takes `descriptor`.
  void reset(int descriptor = -1) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = descriptor;
  }
  // Closes what is held now; false when the close reported an error (a
  // write that failed late). Holds none afterwards.
  bool close() {
    const int held = release();
    return held < 0 || ::close(held) == 0;
  }

 private:
  int descriptor_ = -1;
};

}  // namespace segdur

#pragma once
// Owned file descriptors: an open file, and a folder for the *at calls.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

namespace segdur {

// Owns one open descriptor, or none (-1). Moves hand the descriptor on.
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

  int get() const { return descriptor_; }
  // True while a descriptor is held.
  bool is_open() const { return descriptor_ >= 0; }
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

// A folder to name files in with the *at calls: one opened (and owned), the
// working folder (AT_FDCWD, never closed), or none.
class Folder {
 public:
  // No folder: get() is -1, which every *at call refuses.
  Folder() = default;
  // The folder `opened` is a descriptor of (a negative one: none).
  explicit Folder(Descriptor opened) : opened_(std::move(opened)) {}

  // The working folder, as it is when a call names a file in it.
  static Folder working() {
    Folder folder;
    folder.working_ = true;
    return folder;
  }

  // The first argument of an *at call: AT_FDCWD for the working folder.
  int get() const { return working_ ? AT_FDCWD : opened_.get(); }
  // True for an opened folder and for the working folder.
  bool exists() const { return working_ || opened_.is_open(); }

 private:
  Descriptor opened_;
  bool working_ = false;
};

// Where a process reaches its open descriptors by name.
constexpr char kProcDescriptors[] = "/proc/self/fd";

// The name of an open descriptor in /proc ("/proc/self/fd/N"), for the calls
// that take a name alone; it leads to the open file itself.
class DescriptorName {
 public:
  explicit DescriptorName(int descriptor) {
    std::snprintf(name_, sizeof name_, "%s/%d", kProcDescriptors, descriptor);
  }
  const char* get() const { return name_; }

 private:
  char name_[sizeof kProcDescriptors + 12];
};

}  // namespace segdur

#include "text/replaced_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <streambuf>
#include <utility>

#include "text/fatal.h"
#include "text/link_walk.h"
#include "text/open_file.h"
#include "text/pending_temporary.h"

namespace segdur {

namespace {

// The temporary's suffix: "." and six characters of kNameCharacters.
constexpr std::size_t kSuffixCharacters = 6;
constexpr std::size_t kSuffixLength = 1 + kSuffixCharacters;
constexpr char kNameCharacters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Names tried before a folder full of taken names counts as a failed create.
constexpr int kCreateAttempts = 100;
// The mode a temporary is created with: of a file that existed, readable by
// the process alone; of a new one, what a plain create gives.
constexpr mode_t kPrivateMode = 0600;
constexpr mode_t kCreateMode = 0666;

// Writes a random suffix (kSuffixLength characters and a NUL) to `out`. The
// run's own random generator, which draws the split, is not touched.
void random_suffix(char* out) {
  unsigned char bytes[kSuffixCharacters];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    static unsigned long long calls = 0;
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    unsigned long long mix = static_cast<unsigned long long>(now.tv_nsec) ^
                             (static_cast<unsigned long long>(now.tv_sec) << 30) ^
                             (static_cast<unsigned long long>(::getpid()) << 12) ^
                             (++calls * 0x9E3779B97F4A7C15ULL);
    for (unsigned char& byte : bytes) {
      byte = static_cast<unsigned char>(mix);
      mix = (mix >> 8) | (mix << 56);
      mix *= 0xBF58476D1CE4E5B9ULL;
    }
  }
  out[0] = '.';
  for (std::size_t k = 0; k < kSuffixCharacters; ++k) {
    out[1 + k] = kNameCharacters[bytes[k] % (sizeof kNameCharacters - 1)];
  }
  out[kSuffixLength] = '\0';
}

// Writes all `size` bytes of `data` to `descriptor`; false when a write failed.
bool write_all(int descriptor, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(descriptor, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

// A stream buffer that writes to an open file descriptor. A write that
// fails (a full disk, a size limit) makes the stream fail; nothing more is
// written after it.
class ReplacedFile::Buffer : public std::streambuf {
 public:
  Buffer() { setp(bytes_, bytes_ + sizeof bytes_); }

  // The descriptor written to; -1 writes nothing and fails.
  void attach(int descriptor) { descriptor_ = descriptor; }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return drain() ? 0 : -1; }

 private:
  // Writes the gathered bytes; false when a write failed, now or before.
  bool drain() {
    const std::size_t gathered = static_cast<std::size_t>(pptr() - pbase());
    if (!failed_ && gathered > 0) {
      failed_ = descriptor_ < 0 || !write_all(descriptor_, pbase(), gathered);
    }
    setp(bytes_, bytes_ + sizeof bytes_);
    return !failed_;
  }

  char bytes_[kReplacedFileBuffer];
  int descriptor_ = -1;
  bool failed_ = false;
};

ReplacedFile::ReplacedFile(const char* path)
    : buffer_(std::make_unique<Buffer>()), stream_(buffer_.get()), path_(path != nullptr ? path : "") {
  Destination found = find_destination(path);
  if (found.error != 0) {
    errno = found.error;
    fail_open(path, true);
  }
  if (found.kind == DestinationKind::kNothing || found.kind == DestinationKind::kRegularFile) {
    folder_ = std::move(found.folder);
    name_ = std::move(found.name);
    replaces_existing_ = found.kind == DestinationKind::kRegularFile;
    if (replaces_existing_ && !permissions_.read(folder_.get(), name_.c_str())) open_failed();
    create_temporary(replaces_existing_);
  } else {
    file_.reset(::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kCreateMode));
    if (!file_.valid()) fail_open(path, true);
  }
  buffer_->attach(file_.get());
}

ReplacedFile::~ReplacedFile() { close_and_discard(); }

void ReplacedFile::create_temporary(bool existed) {
  // A second pending temporary could not be recorded for removal.
  if (has_pending_temporary()) fatal_open_write(path_.c_str());
  if (!register_removal_at_exit()) {
    errno = ENOMEM;
    open_failed();
  }
  const std::size_t kept = std::min<std::size_t>(name_.size(), NAME_MAX - kSuffixLength);
  std::memcpy(temporary_, name_.data(), kept);
  for (int attempt = 0; attempt < kCreateAttempts && !file_.valid(); ++attempt) {
    random_suffix(temporary_ + kept);
    int create_error = 0;
    {
      // Recorded for removal before anything can end the run: no
      // interruption is let through, and nothing is allocated, in between.
      const InterruptionsBlocked blocked;
      file_.reset(::openat(folder_.get(), temporary_, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                           existed ? kPrivateMode : kCreateMode));
      create_error = errno;
      if (file_.valid()) hold_pending_temporary(folder_.get(), temporary_);
    }
    holds_temporary_ = file_.valid();
    errno = create_error;
    if (!file_.valid() && errno != EEXIST) break;
  }
  if (!file_.valid()) open_failed();
}

void ReplacedFile::commit_or_die() {
  stream_.flush();
  if (stream_.fail()) write_failed();
  if (holds_temporary_) {
    // After the writes, which would clear a set-user-ID bit.
    if (replaces_existing_) permissions_.give_to(file_.get());
    if (::fsync(file_.get()) != 0) write_failed();
    if (::renameat(folder_.get(), temporary_, folder_.get(), name_.c_str()) == 0) {
      forget_pending_temporary();
      holds_temporary_ = false;
    } else if (errno == EBUSY) {
      copy_into_place();
    } else {
      write_failed();
    }
  }
  if (!file_.close()) write_failed();
  close_and_discard();
}

void ReplacedFile::copy_into_place() {
  Descriptor target(::openat(folder_.get(), name_.c_str(),
                             O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
  if (!target.valid()) write_failed();
  char bytes[kReplacedFileBuffer];
  for (off_t offset = 0;;) {
    const ssize_t got = ::pread(file_.get(), bytes, sizeof bytes, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) write_failed();
    if (got == 0) break;
    if (!write_all(target.get(), bytes, static_cast<std::size_t>(got))) write_failed();
    offset += got;
  }
  if (::fsync(target.get()) != 0 || !target.close()) write_failed();
}

void ReplacedFile::close_and_discard() {
  file_.reset();
  buffer_->attach(-1);
  if (holds_temporary_) {
    discard_pending_temporary();
    holds_temporary_ = false;
  }
  folder_.reset();
}

void ReplacedFile::open_failed() {
  const int error = errno;
  close_and_discard();
  errno = error;
  fail_open(path_.c_str(), true);
}

void ReplacedFile::write_failed() {
  close_and_discard();
  fatal_write(path_.c_str());
}

}  // namespace segdur

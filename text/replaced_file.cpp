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
// The mode the temporary of a file that existed is created with: readable
// by the process alone. That of a new one is what a plain create gives.
constexpr mode_t kPrivateMode = 0600;

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
  Destination found = find_destination_or_die(path);
  if (found.kind == DestinationKind::kNothing || found.kind == DestinationKind::kRegularFile) {
    folder_ = std::move(found.folder);
    name_ = std::move(found.name);
    through_links_ = found.through_links;
    replaces_existing_ = found.kind == DestinationKind::kRegularFile;
    if (replaces_existing_ && !permissions_.read(folder_.get(), name_.c_str())) open_failed();
    create_temporary(replaces_existing_);
  } else {
    file_.reset(open_destination(found, O_WRONLY | O_CREAT | O_TRUNC, kNewFileMode));
    if (!file_.is_open()) fail_open(path, true);
  }
  buffer_->attach(file_.get());
}

ReplacedFile::~ReplacedFile() { close_and_discard(); }

void ReplacedFile::create_temporary(bool existed) {
  const std::size_t kept = std::min<std::size_t>(name_.size(), NAME_MAX - kSuffixLength);
  std::memcpy(temporary_, name_.data(), kept);
  for (int attempt = 0; attempt < kCreateAttempts && !file_.is_open(); ++attempt) {
    random_suffix(temporary_ + kept);
    file_.reset(create_pending_temporary(folder_.get(), temporary_, O_RDWR | O_CLOEXEC,
                                         existed ? kPrivateMode : kNewFileMode));
    if (!file_.is_open() && errno != EEXIST) break;
  }
  holds_temporary_ = file_.is_open();
  if (!file_.is_open()) open_failed();
}

void ReplacedFile::commit_or_die() {
  stream_.flush();
  if (stream_.fail()) write_failed();
  buffer_->attach(-1);
  if (!holds_temporary_) {
    // Written in place.
    if (!file_.close()) write_failed();
    close_and_discard();
    return;
  }
  // After the writes, which would clear a set-user-ID bit.
  if (replaces_existing_) permissions_.give_to(file_.get());
  if (::fsync(file_.get()) != 0) write_failed();
  // What a copy into a mount point reads: the temporary itself, whatever
  // its name and permissions have become (none when no descriptor is left).
  Descriptor source(::fcntl(file_.get(), F_DUPFD_CLOEXEC, 0));
  // Closed before the temporary takes the file's place, so that a close
  // that fails leaves the file as it was.
  if (!file_.close()) write_failed();
  if (::renameat(folder_.get(), temporary_, folder_.get(), name_.c_str()) == 0) {
    forget_pending_temporary();
    holds_temporary_ = false;
  } else if (errno == EBUSY) {
    copy_into_place(std::move(source));
  } else {
    write_failed();
  }
  close_and_discard();
}

void ReplacedFile::copy_into_place(Descriptor source) {
  // From the truncation until the copy is on disk no interruption ends the
  // run; one that came meanwhile ends it once the copy is complete and the
  // temporary gone. Nothing is truncated without a source.
  const InterruptionsBlocked blocked;
  Descriptor target(source.is_open() ? ::openat(folder_.get(), name_.c_str(),
                                                O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC)
                                     : -1);
  bool copied = target.is_open();
  char bytes[kReplacedFileBuffer];
  for (off_t offset = 0; copied;) {
    const ssize_t got = ::pread(source.get(), bytes, sizeof bytes, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got == 0) break;
    copied = got > 0 && write_all(target.get(), bytes, static_cast<std::size_t>(got));
    offset += got;
  }
  if (!copied || ::fsync(target.get()) != 0 || !target.close()) {
    // The temporary is the only complete copy: it stays, and is named.
    forget_pending_temporary();
    holds_temporary_ = false;
    fatal_write_kept(path_.c_str(), temporary_path());
  }
  discard_pending_temporary();
  holds_temporary_ = false;
}

std::string ReplacedFile::temporary_path() const {
  if (folder_.get() == AT_FDCWD) return temporary_;
  if (!through_links_) return path_.substr(0, path_.rfind('/') + 1) + temporary_;
  // Reached through links: named by its folder's absolute name.
  char folder[PATH_MAX];
  const ssize_t length = ::readlink(DescriptorName(folder_.get()).get(), folder, sizeof folder);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof folder) return temporary_;
  const std::string named(folder, static_cast<std::size_t>(length));
  return named + (named == "/" ? "" : "/") + temporary_;
}

void ReplacedFile::close_and_discard() {
  file_.reset();
  buffer_->attach(-1);
  if (holds_temporary_) {
    discard_pending_temporary();
    holds_temporary_ = false;
  }
  folder_ = Folder();
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

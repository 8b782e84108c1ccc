#include "text/replaced_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include "text/fatal.h"
#include "text/open_file.h"

namespace segdur {

namespace {

// The temporary of the ReplacedFile that is not yet in place, removed when
// the run ends or is interrupted before the commit: its folder and name, in
// fixed storage, since a signal handler may only unlink it. An empty name:
// none is pending.
int pending_folder = AT_FDCWD;
char pending_name[NAME_MAX + 1] = "";

// The signals whose default action ends the process and after which the
// temporary is removed, but for the real-time signals: every one that ends it
// without a core dump, and SIGQUIT and SIGXCPU (a CPU-time limit). SIGXFSZ,
// which the programs ignore, and the signals of a fault (SIGSEGV, SIGABRT and
// the like) are left alone.
constexpr int kInterruptions[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGPIPE, SIGALRM, SIGTERM,   SIGUSR1, SIGUSR2,
    SIGPOLL, SIGPROF, SIGVTALRM, SIGXCPU,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// Calls visit(signal) for every signal of kInterruptions and every
// real-time signal a program can handle (SIGRTMIN to SIGRTMAX), which all
// end the process by default too.
template <class Visit>
void for_each_interruption(Visit visit) {
  for (int signal_number : kInterruptions) visit(signal_number);
  for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
    visit(signal_number);
  }
}

// What each interruption did before a temporary existed, by signal number.
struct sigaction saved_actions[NSIG];

void remove_pending_temporary() {
  if (pending_name[0] != '\0') ::unlinkat(pending_folder, pending_name, 0);
  pending_name[0] = '\0';
}

extern "C" void remove_temporary_and_end(int signal_number) {
  remove_pending_temporary();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// True when the pending temporary is removed at the end of the run; the
// first call registers that, which may need memory.
bool removed_at_exit() {
  static const bool registered = std::atexit(remove_pending_temporary) == 0;
  return registered;
}

// Records `name` in `folder` as the pending temporary; an interruption that
// would have ended the run still ends it, after removing the temporary. A
// signal that was ignored or handled stays so. Allocates nothing.
void hold_temporary(int folder, const char* name) {
  std::memcpy(pending_name, name, std::strlen(name) + 1);
  pending_folder = folder;
  struct sigaction removing {};
  removing.sa_handler = remove_temporary_and_end;
  sigemptyset(&removing.sa_mask);
  for_each_interruption([&](int signal_number) {
    ::sigaction(signal_number, nullptr, &saved_actions[signal_number]);
    if (saved_actions[signal_number].sa_handler == SIG_DFL) {
      ::sigaction(signal_number, &removing, nullptr);
    }
  });
}

// Forgets the pending temporary (it is in place or removed) and gives the
// interruptions back what they did before.
void release_temporary() {
  for_each_interruption([](int signal_number) {
    ::sigaction(signal_number, &saved_actions[signal_number], nullptr);
  });
  pending_name[0] = '\0';
}

// The most symlinks followed from a path to the file it replaces.
constexpr int kMaxSymlinks = 40;

// The temporary's suffix: "." and six characters of kNameCharacters.
constexpr std::size_t kSuffixCharacters = 6;
constexpr std::size_t kSuffixLength = 1 + kSuffixCharacters;
constexpr char kNameCharacters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Names tried before a folder full of taken names counts as a failed create.
constexpr int kCreateAttempts = 100;

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

// Closes `folder` unless it is the working folder.
void close_folder(int folder) {
  if (folder != AT_FDCWD) ::close(folder);
}

// The folder part of `name`: "/" for a name right below the root, empty for
// a name without a slash.
std::string folder_part(const std::string& name) {
  const std::string::size_type slash = name.rfind('/');
  return slash == std::string::npos ? "" : name.substr(0, std::max<std::size_t>(slash, 1));
}

// Opens the folder of `name` (relative to `folder`) and leaves only the last
// part of the name in `name`. A name without a slash is in `folder` itself,
// which is returned as it is. -1 when the folder cannot be opened.
int enter_folder_of(int folder, std::string& name) {
  const std::string part = folder_part(name);
  if (part.empty()) return folder;
  const int opened = ::openat(folder, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (opened >= 0) name.erase(0, name.rfind('/') + 1);
  return opened;
}

// True when the link whose status is `link`, at `name` relative to
// `folder`, must not be followed, as the kernel refuses to follow it for an
// open: it lies in a sticky folder that anyone may write to (such as /tmp)
// and belongs neither to this process's user nor to the folder's owner. A
// folder that cannot be looked at refuses too (errno tells why).
bool is_protected_link(int folder, const std::string& name, const struct stat& link) {
  const std::string part = folder_part(name);
  const std::string parent = part.empty() ? "." : part;
  struct stat shared {};
  if (::fstatat(folder, parent.c_str(), &shared, 0) != 0) return true;
  errno = EACCES;
  return (shared.st_mode & S_ISVTX) != 0 && (shared.st_mode & S_IWOTH) != 0 &&
         link.st_uid != ::geteuid() && link.st_uid != shared.st_uid;
}

// Where a path leads: the regular file it names through its symlinks (or
// the name a new file gets), or, for anything else, nowhere.
struct Destination {
  bool replaced = false;   // false: written in place
  int folder = AT_FDCWD;   // the folder of the file replaced, owned unless AT_FDCWD
  std::string name;        // its name in that folder
  bool exists = false;     // whether it exists; then `info` is its status
  struct stat info {};
};

// Follows `path` link by link, each relative target from its link's own
// folder, so that no joined name grows with the chain. Nothing at `path`
// itself, or a regular file at its end, is replaced; a dangling end or
// anything but a regular file is written in place. Every other failure (more
// than kMaxSymlinks links, a link that another user planted in a shared
// folder, a folder that cannot be searched or opened, a name too long) ends
// the run with the open message.
Destination find_destination(const char* path) {
  Destination found;
  int folder = AT_FDCWD;
  std::string name = path;
  const auto give_up = [&] {
    const int error = errno;
    close_folder(folder);
    errno = error;
    fail_open(path, true);
  };
  for (int links = 0;; ++links) {
    if (::fstatat(folder, name.c_str(), &found.info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && links == 0) break;
      if (errno == ENOENT || errno == ENOTDIR) {
        close_folder(folder);
        return found;
      }
      give_up();
    }
    if (S_ISREG(found.info.st_mode)) {
      found.exists = true;
      break;
    }
    if (!S_ISLNK(found.info.st_mode)) {
      close_folder(folder);
      return found;
    }
    if (links == kMaxSymlinks) {
      errno = ELOOP;
      give_up();
    }
    if (is_protected_link(folder, name, found.info)) give_up();
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(folder, name.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) {
      if (length >= 0) errno = ENAMETOOLONG;
      give_up();
    }
    const int link_folder = target[0] == '/' ? AT_FDCWD : enter_folder_of(folder, name);
    if (link_folder == -1) give_up();
    if (link_folder != folder) close_folder(folder);
    folder = link_folder;
    name.assign(target, static_cast<std::size_t>(length));
  }
  found.folder = enter_folder_of(folder, name);
  if (found.folder == -1) give_up();
  if (found.folder != folder) close_folder(folder);
  found.replaced = true;
  found.name = std::move(name);
  return found;
}

}  // namespace

DescriptorBuffer::DescriptorBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int DescriptorBuffer::sync() { return drain() ? 0 : -1; }

bool DescriptorBuffer::drain() {
  const char* data = pbase();
  std::size_t left = static_cast<std::size_t>(pptr() - pbase());
  while (left > 0 && !failed_) {
    const ssize_t written = descriptor_ < 0 ? -1 : ::write(descriptor_, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
    } else {
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  setp(buffer_, buffer_ + sizeof buffer_);
  return !failed_;
}

ReplacedFile::ReplacedFile(const char* path)
    : path_(path != nullptr ? path : ""), folder_(AT_FDCWD) {
  if (path == nullptr || path[0] == '\0') fatal_open_write(path);
  Destination found = find_destination(path);
  if (found.replaced) {
    folder_ = found.folder;
    name_ = std::move(found.name);
    create_temporary(found.exists ? &found.info : nullptr);
  } else {
    descriptor_ = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor_ < 0) fail_open(path, true);
  }
  buffer_.attach(descriptor_);
}

ReplacedFile::~ReplacedFile() { release(); }

void ReplacedFile::create_temporary(const struct stat* previous) {
  // A second pending temporary could not be recorded for removal.
  if (pending_name[0] != '\0') fatal_open_write(path_.c_str());
  if (!removed_at_exit()) {
    errno = ENOMEM;
    open_failed();
  }
  // A previous file's mode from the start (or less, by the umask), so that
  // its contents are never readable more widely while they are written; a
  // new file's from the umask or the folder's default ACL, as for any create.
  const mode_t mode = previous != nullptr ? (previous->st_mode & 07777) : 0666;
  const std::size_t kept = std::min<std::size_t>(name_.size(), NAME_MAX - kSuffixLength);
  std::memcpy(temporary_, name_.data(), kept);
  sigset_t interruptions;
  sigset_t before;
  sigemptyset(&interruptions);
  for_each_interruption([&](int signal_number) { sigaddset(&interruptions, signal_number); });
  for (int attempt = 0; attempt < kCreateAttempts && descriptor_ < 0; ++attempt) {
    random_suffix(temporary_ + kept);
    // The temporary is recorded for removal before anything can end the
    // run: no interruption is let through, and nothing is allocated, in
    // between.
    ::sigprocmask(SIG_BLOCK, &interruptions, &before);
    descriptor_ = ::openat(folder_, temporary_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    const int create_error = errno;
    if (descriptor_ >= 0) hold_temporary(folder_, temporary_);
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    holds_temporary_ = descriptor_ >= 0;
    errno = create_error;
    if (descriptor_ < 0 && errno != EEXIST) break;
  }
  if (descriptor_ < 0) open_failed();
  if (previous == nullptr) return;
  // The owner and group where the process may set them: both as root, the
  // group alone as a member of it. The mode is set exactly at the commit,
  // after the writes, which clear a set-user-ID bit.
  if (::fchown(descriptor_, previous->st_uid, previous->st_gid) != 0) {
    (void)!::fchown(descriptor_, static_cast<uid_t>(-1), previous->st_gid);
  }
  kept_mode_ = static_cast<int>(mode);
}

void ReplacedFile::commit_or_die() {
  stream_.flush();
  if (stream_.fail()) write_failed();
  if (kept_mode_ >= 0 && ::fchmod(descriptor_, static_cast<mode_t>(kept_mode_)) != 0) {
    write_failed();
  }
  if (holds_temporary_ && ::fsync(descriptor_) != 0) write_failed();
  const int descriptor = std::exchange(descriptor_, -1);
  buffer_.attach(-1);
  if (::close(descriptor) != 0) write_failed();
  if (holds_temporary_) {
    if (::renameat(folder_, temporary_, folder_, name_.c_str()) != 0) write_failed();
    release_temporary();
    holds_temporary_ = false;
  }
  release();
}

void ReplacedFile::release() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  buffer_.attach(-1);
  if (holds_temporary_) {
    remove_pending_temporary();
    release_temporary();
    holds_temporary_ = false;
  }
  close_folder(folder_);
  folder_ = AT_FDCWD;
}

void ReplacedFile::open_failed() {
  const int error = errno;
  release();
  errno = error;
  fail_open(path_.c_str(), true);
}

void ReplacedFile::write_failed() {
  release();
  fatal_write(path_.c_str());
}

}  // namespace segdur

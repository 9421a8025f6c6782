#include "platform/regstore.h"

#include <fcntl.h>
#include <malloc.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

namespace plat {

namespace {

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  struct passwd pw, *found = nullptr;
  char buf[4096];
  if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

std::string UserConfigDir() {
  // Relative values are to be ignored, as the base-directory rules say.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
  std::string home = HomeDir();
  return home.empty() ? std::string() : home + "/.config";
}

std::string MachineConfigDir() {
  if (const char* dirs = std::getenv("XDG_CONFIG_DIRS"); dirs && dirs[0] == '/') {
    std::string first(dirs);
    return first.substr(0, first.find(':'));
  }
  return "/etc/xdg";
}

bool MakeDirs(const std::string& dir, mode_t mode) {
  for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos != dir.size() && dir[pos] != '/') continue;
    std::string part = dir.substr(0, pos);
    if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) return true;
  errno = ENOTDIR;
  return false;
}

// How long a save waits for another holder of the lock. Saves hold it for about a
// millisecond; anyone who may read the lock file can take it (flock asks no more), so
// the wait must end: the write then fails and the file keeps what it holds.
constexpr auto LOCK_WAIT = std::chrono::seconds(2);

enum class FileState { Missing, Read, Unreadable };

// Anything but a regular file is unreadable, and is not waited for: opening a FIFO
// for reading would block until someone writes to it.
FileState ReadFile(const std::string& path, std::string* text, struct stat* st) {
  text->clear();
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
  FileState state = FileState::Read;
  int error = 0;
  if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    state = FileState::Unreadable;
    error = S_ISDIR(st->st_mode) ? EISDIR : EINVAL;
  } else {
    text->reserve(static_cast<std::size_t>(st->st_size));
    char buf[65536];
    for (;;) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        state = FileState::Unreadable;
        error = errno;
      }
      if (n <= 0) break;
      text->append(buf, static_cast<std::size_t>(n));
    }
  }
  close(fd);
  errno = error;
  return state;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool LockWithin(int fd, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // Short steps: a holder that writes in a loop leaves the lock free only briefly.
    struct timespec step = {0, 500000};
    nanosleep(&step, nullptr);
  }
}

// The file a save replaces: the end of the hive's chain of symbolic links, even when
// that end does not exist yet, so that a linked hive stays linked. Empty for a chain
// too long to follow.
std::string LinkTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    if (n < 0) return path;  // not a link
    if (static_cast<std::size_t>(n) == sizeof buf) return {};
    std::string next(buf, static_cast<std::size_t>(n));
    path = next.front() == '/' ? next : path.substr(0, path.rfind('/') + 1) + next;
  }
  return {};
}

// One hive file, locked for a read-modify-write.
class HiveTxn {
 public:
  explicit HiveTxn(RegRoot root) : root_(root), path_(RegHiveFile(root)) {}
  ~HiveTxn() {
    if (lockFd_ >= 0) close(lockFd_);  // closing drops the flock
  }
  HiveTxn(const HiveTxn&) = delete;
  HiveTxn& operator=(const HiveTxn&) = delete;

  // Takes the lock and reads the hive. Without the lock the hive is still read,
  // but nothing may be written back.
  void Begin() {
    if (path_.empty()) {
      failure_ = "neither HOME nor XDG_CONFIG_HOME names a folder";
      return;
    }
    std::string dir = path_.substr(0, path_.rfind('/'));
    mode_t dirMode = root_ == RegRoot::CurrentUser ? 0700 : 0755;
    if (!MakeDirs(dir, dirMode)) {
      Fail(errno);
    } else {
      lockFd_ = open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
      if (lockFd_ < 0) Fail(errno);
      // Not locked in time, or no locking here (some network mounts): no safe write.
      if (lockFd_ >= 0 && !LockWithin(lockFd_, LOCK_WAIT)) {
        failure_ = errno == EWOULDBLOCK || errno == EINTR ? "another process holds its lock" : std::strerror(errno);
        close(lockFd_);
        lockFd_ = -1;
      }
    }
    state_ = ReadFile(path_, &original_, &stat_);
    if (state_ == FileState::Unreadable) Fail(errno);
    hive_ = RegHive::Parse(original_);
    // A hive we cannot read is never replaced: that would lose what it holds.
    writable_ = lockFd_ >= 0 && state_ != FileState::Unreadable;
    if (writable_ && state_ == FileState::Read && faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) != 0) {
      Fail(errno);
      writable_ = false;
    }
  }

  RegHive& Hive() { return hive_; }
  bool Writable() const { return writable_; }
  void MarkDirty() { dirty_ = true; }

  // A change that could not be made, so that the batch's end reports it.
  void MarkLost() { lost_ = true; }

  // One line on stderr naming the file and why, for a save of the user's settings
  // that did not happen: the change is lost, and the user would not know it otherwise.
  // The machine-wide hive needs rights most users lack, so its failures stay quiet.
  void ReportLoss() const {
    if (root_ != RegRoot::CurrentUser) return;
    std::fprintf(stderr, "kiru: settings not saved to %s: %s\n", path_.empty() ? "the user's hive" : path_.c_str(),
                 failure_.empty() ? "cannot write" : failure_.c_str());
  }

  // Writes what changed; when a change could not be stored, says so (unless quiet)
  // and returns false.
  bool Finish(bool quiet = false) {
    bool ok = Commit() && !lost_;
    if (!ok && !quiet) ReportLoss();
    lost_ = false;
    return ok;
  }

  bool Commit() {
    if (!dirty_) return true;
    dirty_ = false;
    if (!writable_) return false;
    // Writing back what is already there (every start of the saver does) costs a
    // read and a compare instead of a synced replace.
    std::string text = hive_.Text();
    if (state_ == FileState::Read && text == original_) return true;
    // The data is synced before the rename, so the name points at the old file or
    // at the whole new one. The folder is not synced: after a power cut the old
    // version may come back, which costs a sync per save less and tears nothing.
    // A hive that is a symbolic link (kept with the user's other dotfiles) stays one:
    // the file it points at is what gets replaced.
    std::string target = LinkTarget(path_);
    if (target.empty()) {
      Fail(ELOOP);
      return false;
    }
    std::string tmp = target + ".tmp";
    // The temporary name is fixed: only the lock holder uses it, and a file left
    // by a writer that died is simply replaced.
    unlink(tmp.c_str());
    mode_t mode = state_ == FileState::Read ? (stat_.st_mode & 07777) : 0666;
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      Fail(errno);
      return false;
    }
    bool ok = true;
    if (state_ == FileState::Read) {
      ok = fchmod(fd, mode) == 0;
      // Root saving someone else's hive leaves it theirs; if that fails it saves anyway.
      if (geteuid() == 0 && fchown(fd, stat_.st_uid, stat_.st_gid) != 0) {
      }
    }
    ok = ok && WriteAll(fd, text) && fsync(fd) == 0;
    if (!ok) Fail(errno);
    if (close(fd) != 0 && ok) {
      Fail(errno);
      ok = false;
    }
    if (ok && rename(tmp.c_str(), target.c_str()) != 0) {
      Fail(errno);
      ok = false;
    }
    if (!ok) {
      unlink(tmp.c_str());
      return false;
    }
    state_ = FileState::Read;
    original_ = std::move(text);
    return true;
  }

 private:
  void Fail(int error) {
    if (failure_.empty()) failure_ = std::strerror(error);
  }

  RegRoot root_;
  std::string path_;
  int lockFd_ = -1;
  FileState state_ = FileState::Missing;
  struct stat stat_ {};
  std::string original_;  // the hive as read, to skip replacing it with itself
  RegHive hive_;
  bool writable_ = false;
  bool dirty_ = false;
  bool lost_ = false;
  std::string failure_;  // why the hive cannot be written, in the system's words
};

struct BatchState {
  int depth = 0;
  bool quiet = false;  // some batch of the nest is
  std::unique_ptr<HiveTxn> user;  // opened at the batch's first use of the hive

  HiveTxn& Open(RegRoot root) {
    if (!user) {
      user = std::make_unique<HiveTxn>(root);
      user->Begin();
    }
    return *user;
  }
};

thread_local BatchState* t_pBatch = nullptr;

// Only the user's hive is held for a whole batch. With one long-held lock there is
// no order in which two processes could each wait for the other's hive.
bool Batched(RegRoot root) { return t_pBatch && root == RegRoot::CurrentUser; }

// The hive as it is now, unlocked: what cannot be read holds nothing.
RegHive ReadHive(const std::string& path) {
  std::string text;
  struct stat st;
  ReadFile(path, &text, &st);
  return RegHive::Parse(text);
}

std::string KeyPath(RegRoot root, std::string_view subkey) {
  std::string path = RegRootName(root);
  while (!subkey.empty() && subkey.front() == '\\') subkey.remove_prefix(1);
  while (!subkey.empty() && subkey.back() == '\\') subkey.remove_suffix(1);
  if (!subkey.empty()) path += "\\" + std::string(subkey);
  return path;
}

}  // namespace

std::string RegHiveFile(RegRoot root) {
  if (root == RegRoot::CurrentUser) {
    std::string dir = UserConfigDir();
    return dir.empty() ? dir : dir + "/kiru/user.reg";
  }
  return MachineConfigDir() + "/kiru/machine.reg";
}

bool RegStoreGet(RegRoot root, std::string_view subkey, std::string_view name, RegData* data) {
  std::string key = KeyPath(root, subkey);
  if (Batched(root)) {
    HiveTxn& txn = t_pBatch->Open(root);
    if (txn.Writable() && txn.Hive().AddKey(key)) txn.MarkDirty();
    return txn.Hive().Get(key, name, data);
  }
  std::string path = RegHiveFile(root);
  if (path.empty()) return false;
  RegHive hive = ReadHive(path);
  if (hive.HasKey(key)) return hive.Get(key, name, data);
  // A missing key is created, and holds nothing yet.
  HiveTxn txn(root);
  txn.Begin();
  // Creating the key is a courtesy of the read: failing it loses nothing.
  if (txn.Writable() && txn.Hive().AddKey(key)) {
    txn.MarkDirty();
    txn.Commit();
  }
  return txn.Hive().Get(key, name, data);
}

std::vector<std::optional<RegData>> RegStorePeek(RegRoot root, std::string_view subkey,
                                                 const std::vector<std::string_view>& names) {
  std::vector<std::optional<RegData>> values(names.size());
  std::string path = RegHiveFile(root);
  if (path.empty()) return values;
  {
    RegHive hive = ReadHive(path);
    std::string key = KeyPath(root, subkey);
    for (std::size_t i = 0; i < names.size(); ++i) {
      RegData data;
      if (hive.Get(key, names[i], &data)) values[i] = std::move(data);
    }
  }
  // A long-lived reader (the idle watcher) would otherwise keep the heap a large
  // store grew to until its next read: 28 MB for a 50 MB store, against 10.
  malloc_trim(0);
  return values;
}

bool RegStoreSet(RegRoot root, std::string_view subkey, std::string_view name, const RegData& data) {
  std::string key = KeyPath(root, subkey);
  if (Batched(root)) {
    HiveTxn& txn = t_pBatch->Open(root);
    if (!txn.Writable()) {
      txn.MarkLost();
      return false;
    }
    txn.Hive().Set(key, name, data);
    txn.MarkDirty();
    return true;
  }
  HiveTxn txn(root);
  txn.Begin();
  if (txn.Writable()) {
    txn.Hive().Set(key, name, data);
    txn.MarkDirty();
  } else {
    txn.MarkLost();
  }
  return txn.Finish();
}

RegBatch::RegBatch(RegLoss loss) {
  if (!t_pBatch) t_pBatch = new BatchState;
  ++t_pBatch->depth;
  t_pBatch->quiet = t_pBatch->quiet || loss == RegLoss::Quiet;
}

RegBatch::~RegBatch() {
  if (--t_pBatch->depth > 0) return;
  BatchState* state = t_pBatch;
  t_pBatch = nullptr;
  if (state->user) state->user->Finish(state->quiet);
  delete state;
}

}  // namespace plat

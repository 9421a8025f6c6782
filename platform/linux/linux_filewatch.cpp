#include "platform/linux/linux_filewatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace plat {
namespace {

int g_nInotify = -1;
std::string g_szFile;

struct Watched {
  int wd;
  std::string folder;
  std::string name;  // the file's name in it, or the missing folder's name on the way to it
};
std::vector<Watched> g_Watches;

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}
std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

constexpr std::uint32_t FILE_EVENTS = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE |
                                      IN_DELETE_SELF | IN_MOVE_SELF;

// The folder of `path`, or the nearest one above it that exists; the name watched
// there is the next step down towards the file.
void Arm(const std::string& path) {
  std::string folder = FolderOf(path), name = NameOf(path);
  struct stat st;
  while (stat(folder.c_str(), &st) != 0 && folder != "/" && folder != ".") {
    name = NameOf(folder);
    folder = FolderOf(folder);
  }
  int wd = inotify_add_watch(g_nInotify, folder.c_str(), FILE_EVENTS);
  if (wd >= 0) g_Watches.push_back({wd, folder, name});
}

void ArmAll() {
  for (const Watched& w : g_Watches) inotify_rm_watch(g_nInotify, w.wd);
  g_Watches.clear();
  Arm(g_szFile);
  // A file kept elsewhere behind a symbolic link (dotfiles in a repository) changes there.
  if (char* real = realpath(g_szFile.c_str(), nullptr)) {
    if (FolderOf(real) != FolderOf(g_szFile)) Arm(real);
    std::free(real);
  }
}

}  // namespace

int WatchFile(const std::string& path) {
  if (g_nInotify < 0) g_nInotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (g_nInotify < 0) return -1;
  g_szFile = path;
  ArmAll();
  return g_nInotify;
}

bool TakeFileChange() {
  bool changed = false, rearm = false;
  alignas(inotify_event) char buf[4096];
  ssize_t n;
  while ((n = read(g_nInotify, buf, sizeof buf)) > 0) {
    for (char* p = buf; p < buf + n;) {
      auto* event = reinterpret_cast<inotify_event*>(p);
      p += sizeof(inotify_event) + event->len;
      for (const Watched& w : g_Watches) {
        if (w.wd != event->wd) continue;
        // The folder itself went, or a missing folder on the way came: watch afresh.
        if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) rearm = true;
        if (event->len > 0 && w.name == event->name) {
          changed = true;
          if (event->mask & (IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM)) rearm = true;
        }
      }
    }
  }
  if (rearm) ArmAll();
  return changed || rearm;
}

}  // namespace plat

// Who asks the session to stay awake through org.freedesktop.ScreenSaver.Inhibit,
// where the idle watcher serves it: each inhibit has a cookie and the bus name of the
// client that asked, and a client that leaves the bus takes its inhibits with it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

class InhibitorBook {
 public:
  // More than this from one client is a client gone wrong: its further asks fail.
  static constexpr std::size_t MAX_PER_CLIENT = 256;

  explicit InhibitorBook(std::uint32_t firstCookie = 1) : next_(firstCookie) {}
  // A cookie no other inhibit holds, never 0; 0 when the client holds too many.
  std::uint32_t Add(const std::string& client);
  // False for a cookie nobody holds; else the client that held it, in *client.
  bool Remove(std::uint32_t cookie, std::string* client = nullptr);
  // Drops everything the client holds; how much that was.
  std::size_t DropClient(const std::string& client);
  bool Holds(const std::string& client) const;
  bool Empty() const { return entries_.empty(); }
  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    std::uint32_t cookie;
    std::string client;
  };
  bool InUse(std::uint32_t cookie) const;
  std::vector<Entry> entries_;
  std::uint32_t next_;
};

}  // namespace plat

#include "platform/linux/linux_inhibitors.h"

#include <algorithm>

namespace plat {

bool InhibitorBook::InUse(std::uint32_t cookie) const {
  return std::any_of(entries_.begin(), entries_.end(), [cookie](const Entry& e) { return e.cookie == cookie; });
}

std::uint32_t InhibitorBook::Add(const std::string& client) {
  auto held = std::count_if(entries_.begin(), entries_.end(), [&client](const Entry& e) { return e.client == client; });
  if (static_cast<std::size_t>(held) >= MAX_PER_CLIENT) return 0;
  // After the counter wraps, cookies still held are stepped over.
  while (next_ == 0 || InUse(next_)) ++next_;
  std::uint32_t cookie = next_++;
  entries_.push_back({cookie, client});
  return cookie;
}

bool InhibitorBook::Remove(std::uint32_t cookie, std::string* client) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [cookie](const Entry& e) { return e.cookie == cookie; });
  if (it == entries_.end()) return false;
  if (client) *client = it->client;
  entries_.erase(it);
  return true;
}

std::size_t InhibitorBook::DropClient(const std::string& client) {
  return std::erase_if(entries_, [&client](const Entry& e) { return e.client == client; });
}

bool InhibitorBook::Holds(const std::string& client) const {
  return std::any_of(entries_.begin(), entries_.end(), [&client](const Entry& e) { return e.client == client; });
}

}  // namespace plat

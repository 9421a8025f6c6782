#ifdef _WIN32
#include "tests/support/private_registry.h"

#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kiru_test {
namespace {

constexpr const char* TREE_PARENT = "Software\\KiruTests";
const HKEY ROOTS[3] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT};
const char* const ROOT_NAMES[3] = {"user", "machine", "classes"};

PrivateRegistry* g_pInnermost = nullptr;
unsigned long g_nNext = 0;

}  // namespace

PrivateRegistry::PrivateRegistry() : outer_(g_pInnermost) {
  // Made through the real HKCU, which may be overridden by an enclosing store.
  if (g_pInnermost)
    for (HKEY root : ROOTS) ::RegOverridePredefKey(root, nullptr);
  number_ = ::GetCurrentProcessId() * 1000 + g_nNext++;
  std::string path = std::string(TREE_PARENT) + "\\" + std::to_string(number_);
  HKEY base = nullptr;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &base, nullptr);
  base_ = base;
  for (int i = 0; i < 3; ++i) {
    HKEY key = nullptr;
    if (base) ::RegCreateKeyExA(base, ROOT_NAMES[i], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    roots_[i] = key;
  }
  g_pInnermost = this;
  Apply();
}

void PrivateRegistry::Apply() const {
  for (int i = 0; i < 3; ++i)
    if (roots_[i]) ::RegOverridePredefKey(ROOTS[i], static_cast<HKEY>(roots_[i]));
}

PrivateRegistry::~PrivateRegistry() {
  for (HKEY root : ROOTS) ::RegOverridePredefKey(root, nullptr);
  for (void* key : roots_)
    if (key) ::RegCloseKey(static_cast<HKEY>(key));
  if (base_) {
    ::RegDeleteTreeA(static_cast<HKEY>(base_), nullptr);
    ::RegCloseKey(static_cast<HKEY>(base_));
    HKEY parent = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, TREE_PARENT, 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
      ::RegDeleteKeyA(parent, std::to_string(number_).c_str());
      ::RegCloseKey(parent);
    }
  }
  g_pInnermost = outer_;
  if (outer_) outer_->Apply();
}

}  // namespace kiru_test
#endif

// A registry of the test's own on Windows: the current user's, the machine's and the
// classes' root keys point into a fresh key, removed again on destruction. Nested
// stores hand the roots back to the enclosing one. (On Linux the store's files follow
// HOME and the XDG folders, which TempDir-based set-ups point away already.)
#pragma once

namespace kiru_test {

#ifdef _WIN32
class PrivateRegistry {
 public:
  PrivateRegistry();
  ~PrivateRegistry();
  PrivateRegistry(const PrivateRegistry&) = delete;
  PrivateRegistry& operator=(const PrivateRegistry&) = delete;

 private:
  void Apply() const;
  PrivateRegistry* outer_;
  void* base_ = nullptr;      // HKEY of the private tree
  void* roots_[3] = {};       // HKEYs standing in for HKCU, HKLM, HKCR
  unsigned long number_ = 0;  // the tree's name below the real HKCU
};
#else
class PrivateRegistry {};
#endif

}  // namespace kiru_test

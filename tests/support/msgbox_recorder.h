// Records the message boxes the code under test shows instead of showing them.
#pragma once
#include <string>
#include <vector>

#include "platform/msgbox.h"

namespace kiru_test {

struct RecordedMessageBox {
  plat::HWND owner;
  std::string text;
  std::string caption;
  plat::UINT style;
};

// Installs the recorder for its lifetime; every box answers IDOK. `onBox` runs
// as each box is recorded, for callers that note more about the moment it was shown.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(void (*onBox)(const RecordedMessageBox&) = nullptr) {
    Boxes().clear();
    OnBox() = onBox;
    plat::SetMessageBoxHandler(&Record);
  }
  ~MessageBoxRecorder() {
    plat::SetMessageBoxHandler(nullptr);
    OnBox() = nullptr;
  }
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  static std::vector<RecordedMessageBox>& Boxes() {
    static std::vector<RecordedMessageBox> boxes;
    return boxes;
  }
  void Clear() { Boxes().clear(); }

 private:
  using Observer = void (*)(const RecordedMessageBox&);
  static Observer& OnBox() {
    static Observer onBox = nullptr;
    return onBox;
  }
  static int Record(plat::HWND owner, const char* text, const char* caption, plat::UINT style) {
    Boxes().push_back({owner, text ? text : "", caption ? caption : "", style});
    if (OnBox()) OnBox()(Boxes().back());
    return plat::IDOK;
  }
};

}  // namespace kiru_test

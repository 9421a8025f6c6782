// Records the message boxes the code under test shows instead of showing them.
#pragma once
#include <string>
#include <vector>

#include "platform/msgbox.h"

struct RecordedMessageBox {
  plat::HWND owner;
  std::string text;
  std::string caption;
  plat::UINT style;
};

class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    Boxes().clear();
    plat::SetMessageBoxHandler(&Record);
  }
  ~MessageBoxRecorder() { plat::SetMessageBoxHandler(nullptr); }
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  static std::vector<RecordedMessageBox>& Boxes() {
    static std::vector<RecordedMessageBox> boxes;
    return boxes;
  }
  void Clear() { Boxes().clear(); }

 private:
  static int Record(plat::HWND owner, const char* text, const char* caption, plat::UINT style) {
    Boxes().push_back({owner, text ? text : "", caption ? caption : "", style});
    return plat::IDOK;
  }
};

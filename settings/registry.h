// The registry access layer: one selected key path; every read or write opens the
// selected key under its hive (creating it), does one thing and closes it again.
// Failures are silent: reads fall back to the caller's default.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/win.h"

void SelectRegKey(plat::HWND window, const char* path);
// False when the value is missing or no DWORD; *value is then undefined.
bool RegTryReadDword(const char* name, std::int32_t* value);
std::int32_t RegReadDword(const char* name, std::int32_t defaultValue);
bool RegWriteDword(const char* name, std::int32_t value);
char* RegReadMachineString(const char* name, char* buffer, std::size_t size, const char* defaultText);
bool RegWriteMachineString(const char* name, const char* text);
// The same under the user's own hive, for keys the user may write where the
// machine's may not be (the user's RunOnce).
char* RegReadUserString(const char* name, char* buffer, std::size_t size, const char* defaultText);
bool RegWriteUserString(const char* name, const char* text);
char* RegReadClassesString(const char* name, char* buffer, std::size_t size, const char* defaultText);

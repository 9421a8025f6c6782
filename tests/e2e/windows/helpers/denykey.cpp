// Stands in for a standard user's rights on the machine's RunOnce key, where Wine
// runs every program as an administrator: "deny" denies everyone the right to set
// its values, "allow" gives the key back to everyone. Exit status 0 when set.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  bool deny = std::strcmp(argv[1], "deny") == 0;
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0, nullptr, 0,
                        WRITE_DAC | READ_CONTROL, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 1;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(DWORD) unsigned char buffer[256];
  PACL acl = reinterpret_cast<PACL>(buffer);
  ::InitializeAcl(acl, sizeof buffer, ACL_REVISION);
  if (deny) ::AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone);
  ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
  SECURITY_DESCRIPTOR sd;
  ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  ::SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  LONG result = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
  ::RegCloseKey(key);
  ::FreeSid(everyone);
  return result == ERROR_SUCCESS ? 0 : 1;
}

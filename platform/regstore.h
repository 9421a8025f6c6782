// The registry. On Windows it is the system's own (platform/windows/windows_regstore.cpp:
// each operation opens its key, creating it, and RegHiveFile is empty); on Linux
// it is stood in for by REGEDIT4 hive files on disk:
//
//   HKEY_CURRENT_USER                  $XDG_CONFIG_HOME/kiru/user.reg (default ~/.config)
//   HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT  kiru/machine.reg in the first $XDG_CONFIG_DIRS
//                                      entry (default /etc/xdg)
//
// Every change is one transaction: under an exclusive flock on "<hive>.lock" the
// file is read again, changed, written to "<hive>.tmp" in the same folder, synced
// and renamed over the hive. Readers never lock: they see the old file or the new
// one, never a mix, and a writer killed at any point leaves one of the two. A
// transaction that leaves the text as it was does not replace the file. A hive that
// is a symbolic link stays one: its target is replaced, or created.
//
// Opening a key creates it (and the folders) as the registry's create-key call
// does; a key that cannot be created and a value that cannot be read are the same
// "missing" to the caller. Writes fail, returning false, where the hive or its
// folder may not be written, where the hive cannot be read or is not a regular file
// (it is then never replaced), and when the lock is not had within a bounded wait.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reghive.h"

namespace plat {

// The file that holds the root's keys; empty when no location can be found.
std::string RegHiveFile(RegRoot root);

// Opens (creating) root\subkey and reads one value.
bool RegStoreGet(RegRoot root, std::string_view subkey, std::string_view name, RegData* data);
// Reads values of root\subkey as they are, from one reading of the hive, and creates
// nothing: for a reader that watches the store and must not write it. Each name's
// data, or nullopt where it is missing.
std::vector<std::optional<RegData>> RegStorePeek(RegRoot root, std::string_view subkey,
                                                 const std::vector<std::string_view>& names);
// Opens (creating) root\subkey and sets one value.
bool RegStoreSet(RegRoot root, std::string_view subkey, std::string_view name, const RegData& data);

// While a batch is open on a thread, that thread's reads and writes of the user's
// hive share one transaction: the hive is locked and read at its first use and, if
// anything changed, replaced once when the outermost batch closes. The machine
// hive is not batched: its operations stay transactions of their own. Each value
// set inside still lands whole or not at all; a crash before the end loses the
// batch, never part of a value. Batches nest.
//
// A batch whose changes could not be stored says so in one line on stderr (Linux),
// unless it, or one around it, is quiet: writing back what was just read, or a flag
// of the program's own, loses nothing of the user's.
enum class RegLoss { Told, Quiet };
class RegBatch {
 public:
  explicit RegBatch(RegLoss loss = RegLoss::Told);
  ~RegBatch();
  RegBatch(const RegBatch&) = delete;
  RegBatch& operator=(const RegBatch&) = delete;
};

}  // namespace plat

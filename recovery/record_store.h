// The state folder of recovery records: where it is, writing a record so a
// crash at any moment leaves the previous whole record or the new one,
// reading the records of programs that are gone, and the lock files that tell
// a second program which process edits a file.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recovery/record_format.h"

namespace torvane {

// $XDG_STATE_HOME/torvane/recovery, or ~/.local/state/torvane/recovery.
std::string RecoveryFolder();
// Creates the folder and its parents (owner-only); false with the reason.
bool MakeRecoveryFolder(const std::string& folder, std::string* reason);

// This process as an owner.
const TRecoveryOwner& ThisProcess();
// Another running process as an owner (start time 0 once it has gone).
TRecoveryOwner OwnerOfProcess(int pid);
// Whether the owner still runs (same boot, kill(pid, 0), same start time).
bool OwnerAlive(const TRecoveryOwner& owner);

// "<pid>-<start ticks>-<serial>": a record's or lock's name without extension.
std::string OwnerFileStem(const TRecoveryOwner& owner, int serial);

// Writes the record of header and the text (the pieces, `length` bytes of
// them in all) to path: a temporary in the same folder, fsync, rename over
// path, fsync of the folder. Stops (false, reason "cancelled") as soon as
// *cancel becomes true; the temporary never stays behind.
bool WriteRecordDurably(const std::string& path, const TRecoveryHeader& header,
                        const std::vector<std::string_view>& pieces, std::size_t length,
                        std::string* reason, const std::atomic<bool>* cancel = nullptr);

// The intact record at path, or nothing (missing, cut short, corrupt).
std::optional<TRecoveryRecord> ReadRecordFile(const std::string& path);

struct TFoundRecord {
  std::string path;
  TRecoveryRecord record;
};
// The intact records of owners that are gone, newest first. Temporaries and
// lock files those owners left are removed on the way; records that fail
// their check stay on disk untouched but are not returned.
std::vector<TFoundRecord> OrphanRecords(const std::string& folder);

// Lock files: "<stem>.lock" naming the file a live program has open.
bool WriteLockFile(const std::string& path, const TRecoveryOwner& owner,
                   const std::string& file_name);
// The pid of another live program whose lock names file_name (the same path
// or the same file under another name), or nothing.
std::optional<int> FileEditedElsewhere(const std::string& folder, const std::string& file_name);

// Whether two names stand for the same document's file.
bool SameDocumentFile(const std::string& a, const std::string& b);

}  // namespace torvane

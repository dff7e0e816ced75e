// Reading whole files as bytes and replacing files safely: the new bytes go to
// a temporary file beside the target and are renamed over it only when every
// write, the flush and the sync have succeeded.
#pragma once

#include <string>
#include <string_view>

namespace torvane {

// Reads the whole file into *bytes. On failure returns false, leaves *bytes
// empty and puts the system's reason (strerror text) into *reason.
bool ReadFileBytes(const std::string& path, std::string* bytes, std::string* reason = nullptr);

// Replaces (or creates) the file at path with bytes. The old file stays
// byte-identical unless the whole new content reached the disk; an existing
// file keeps its permission bits (and owner, where allowed); when path is a
// symbolic link the file it points to is replaced and the link stays. On
// failure the temporary file is removed, false is returned and *reason says why.
bool WriteFileSafely(const std::string& path, std::string_view bytes,
                     std::string* reason = nullptr);

// Deletes a file; false (with the reason) when it could not be removed.
bool RemoveFile(const std::string& path, std::string* reason = nullptr);

}  // namespace torvane

// A small tmpfs mounted on a test's directory: a full disk or a read-only
// file system on demand. Mounting needs root; mounted() says whether it worked
// so the test can skip with a message.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace torvane {

class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& dir, const char* options) : dir_(dir), options_(options) {
    mounted_ = geteuid() == 0 && mount("tmpfs", dir.c_str(), "tmpfs", 0, options) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) {
      umount2(dir_.c_str(), MNT_DETACH);
    }
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool mounted() const { return mounted_; }
  // Root writes through any file mode, so without the mount a test has no
  // way to make a place unwritable (a container without CAP_SYS_ADMIN).
  bool RootWithoutMount() const { return !mounted_ && geteuid() == 0; }
  bool MakeReadOnly() {
    return mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_.c_str()) == 0;
  }
  // Writes filler bytes until the file system is full.
  void Fill() const {
    const std::string path = dir_ + "/.filler";
    FILE* filler = fopen(path.c_str(), "wb");
    if (filler == nullptr) {
      return;
    }
    const std::string block(4096, 'f');
    while (fwrite(block.data(), 1, block.size(), filler) == block.size() && fflush(filler) == 0) {
    }
    fclose(filler);
  }
  void Unfill() const { remove((dir_ + "/.filler").c_str()); }

 private:
  std::string dir_;
  std::string options_;
  bool mounted_ = false;
};

}  // namespace torvane

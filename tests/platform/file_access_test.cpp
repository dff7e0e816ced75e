// Reading and safe replacement of files: bytes, permissions, links, and the
// old file surviving every failure, including a full disk.
#include "platform/file_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "tests/support/small_filesystem.h"

namespace torvane {
namespace {

class FileAccessTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
  std::string Get(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes)) << path;
    return bytes;
  }
  // Names in the directory other than the given ones (left-over temporaries).
  int EntryCount(const std::string& dir) const {
    return static_cast<int>(QDir(QString::fromStdString(dir))
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                                .size());
  }
  QTemporaryDir dir_;
};

TEST_F(FileAccessTest, WritesAndReadsEveryByteValue) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) {
    bytes += static_cast<char>(i);
  }
  const std::string path = Path("all.bin");
  ASSERT_TRUE(WriteFileSafely(path, bytes));
  EXPECT_EQ(Get(path), bytes);
  ASSERT_TRUE(WriteFileSafely(path, ""));
  EXPECT_EQ(Get(path), "");
  EXPECT_EQ(EntryCount(dir_.path().toStdString()), 1);
}

// Read in pieces: sizes around the piece size and a file of megabytes
// (whose buffer is advised to take huge pages) come back byte for byte.
TEST_F(FileAccessTest, LargeFilesAreReadWhole) {
  std::string bytes;
  for (const std::size_t size : {std::size_t{65535}, std::size_t{65536}, std::size_t{65537},
                                 std::size_t{3 * 65536 + 17}, std::size_t{11u << 20}}) {
    bytes.resize(size);
    for (std::size_t i = 0; i < size; ++i) {
      bytes[i] = static_cast<char>((i * 131 + i / 65536) & 0xFF);
    }
    const std::string path = Path("large.bin");
    ASSERT_TRUE(WriteFileSafely(path, bytes));
    TFileStamp stamp;
    std::string got = "left over";
    ASSERT_TRUE(ReadFileBytes(path, &got, nullptr, &stamp));
    ASSERT_EQ(got.size(), size);
    EXPECT_TRUE(got == bytes) << size;
    EXPECT_EQ(stamp.size, static_cast<std::int64_t>(size));
  }
}

TEST_F(FileAccessTest, ReadFailuresGiveTheReason) {
  std::string bytes = "stale";
  std::string reason;
  EXPECT_FALSE(ReadFileBytes(Path("missing.asm"), &bytes, &reason));
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(reason, "No such file or directory");
  EXPECT_FALSE(ReadFileBytes(dir_.path().toStdString(), &bytes, &reason));
  EXPECT_EQ(reason, "Is a directory");
}

TEST_F(FileAccessTest, OnlyRegularFilesAreReadAndNothingWaitsOrGrowsWithoutEnd) {
  // A pipe nobody writes to would block a plain open; /dev/zero never ends.
  const std::string fifo = Path("pipe.asm");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
    std::string bytes = "stale";
    std::string reason;
    EXPECT_FALSE(ReadFileBytes(path, &bytes, &reason)) << path;
    EXPECT_EQ(reason, "Not a regular file") << path;
    EXPECT_EQ(bytes, "");
  }
  // A link to a regular file is read through.
  const std::string target = Path("t.asm");
  ASSERT_TRUE(WriteFileSafely(target, std::string(100000, 'q')));
  ASSERT_EQ(::symlink(target.c_str(), Path("l.asm").c_str()), 0);
  EXPECT_EQ(Get(Path("l.asm")), std::string(100000, 'q'));
}

TEST_F(FileAccessTest, ReplacingKeepsPermissionBitsAndLinks) {
  const std::string target = Path("real.asm");
  ASSERT_TRUE(WriteFileSafely(target, "old"));
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  const std::string link = Path("link.asm");
  ASSERT_EQ(symlink("real.asm", link.c_str()), 0);  // relative link

  ASSERT_TRUE(WriteFileSafely(link, "new"));
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Get(target), "new");
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(EntryCount(dir_.path().toStdString()), 2);

  // A dangling link gets its file created where it points.
  const std::string dangling = Path("dangling.asm");
  ASSERT_EQ(symlink(Path("later.asm").c_str(), dangling.c_str()), 0);
  ASSERT_TRUE(WriteFileSafely(dangling, "x"));
  EXPECT_EQ(Get(Path("later.asm")), "x");
  ASSERT_EQ(lstat(dangling.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(FileAccessTest, FailuresLeaveTheOldFileAndNoTemporary) {
  std::string reason;
  EXPECT_FALSE(WriteFileSafely(Path("no/such/dir.asm"), "x", &reason));
  EXPECT_EQ(reason, "No such file or directory");
  EXPECT_FALSE(WriteFileSafely(dir_.path().toStdString(), "x", &reason));
  EXPECT_EQ(reason, "Is a directory");
  EXPECT_FALSE(WriteFileSafely("", "x", &reason));

  if (geteuid() != 0) {
    const std::string ro = Path("ro.asm");
    ASSERT_TRUE(WriteFileSafely(ro, "keep"));
    ASSERT_EQ(chmod(ro.c_str(), 0444), 0);
    EXPECT_FALSE(WriteFileSafely(ro, "lost", &reason));
    EXPECT_EQ(reason, "Permission denied");
    EXPECT_EQ(Get(ro), "keep");
  }
  EXPECT_LE(EntryCount(dir_.path().toStdString()), 1);
}

TEST_F(FileAccessTest, FullDiskLeavesTheOldFileByteIdentical) {
  const std::string mount_point = Path("small");
  ASSERT_EQ(mkdir(mount_point.c_str(), 0755), 0);
  SmallFileSystem fs(mount_point, "size=64k");
  if (!fs.mounted()) {
    GTEST_SKIP() << "needs root to mount a small tmpfs; full-disk behaviour not tested here";
  }
  const std::string path = mount_point + "/boot.asm";
  const std::string old_bytes = "mov ax, 0x1234\r\n";
  ASSERT_TRUE(WriteFileSafely(path, old_bytes));
  fs.Fill();
  std::string reason;
  EXPECT_FALSE(WriteFileSafely(path, std::string(200000, 'x'), &reason));
  EXPECT_EQ(reason, "No space left on device");
  EXPECT_EQ(Get(path), old_bytes);
  EXPECT_FALSE(WriteFileSafely(path, "short", &reason));
  EXPECT_EQ(Get(path), old_bytes);
  EXPECT_EQ(EntryCount(mount_point), 2);  // the file and the filler

  // Read-only file system: a read-only directory even for root.
  fs.Unfill();
  ASSERT_TRUE(fs.MakeReadOnly());
  EXPECT_FALSE(WriteFileSafely(path, "short", &reason));
  EXPECT_EQ(reason, "Read-only file system");
  EXPECT_EQ(Get(path), old_bytes);
}

TEST_F(FileAccessTest, RemoveReportsFailure) {
  const std::string path = Path("a.log");
  ASSERT_TRUE(WriteFileSafely(path, ""));
  EXPECT_TRUE(RemoveFile(path));
  std::string reason;
  EXPECT_FALSE(RemoveFile(path, &reason));
  EXPECT_EQ(reason, "No such file or directory");
}

}  // namespace
}  // namespace torvane

// Replacing a file safely where a plain rename would do harm: hard links,
// owners and folders, read-only files, saves killed half-way and the
// temporaries they leave, and writes that fail in place.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <random>
#include <stdexcept>
#include <string_view>

#include "platform/file_access.h"

namespace torvane {
namespace {

class SafeWriteTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
  static std::string Get(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes)) << path;
    return bytes;
  }
  QStringList Entries(const std::string& dir) const {
    return QDir(QString::fromStdString(dir))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  }
  static ino_t Inode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
  }
  QTemporaryDir dir_;
};

// Runs as another user until destroyed (root only).
class ScopedEffectiveUser {
 public:
  explicit ScopedEffectiveUser(uid_t uid) { active_ = geteuid() == 0 && seteuid(uid) == 0; }
  ~ScopedEffectiveUser() {
    if (active_) {
      EXPECT_EQ(seteuid(0), 0);
    }
  }
  ScopedEffectiveUser(const ScopedEffectiveUser&) = delete;
  ScopedEffectiveUser& operator=(const ScopedEffectiveUser&) = delete;

 private:
  bool active_ = false;
};

constexpr uid_t kNobody = 65534;

TEST_F(SafeWriteTest, HardLinksStayOneFileAndReadOnlyMeansReadOnlyForEveryone) {
  const std::string a = Path("a.asm");
  ASSERT_TRUE(WriteFileSafely(a, "old bytes"));
  ASSERT_EQ(link(a.c_str(), Path("b.asm").c_str()), 0);
  const ino_t inode = Inode(a);
  TFileStamp written;
  ASSERT_TRUE(WriteFileSafely(a, "new", nullptr, &written));
  EXPECT_EQ(Get(Path("b.asm")), "new");
  EXPECT_EQ(Inode(a), inode);
  EXPECT_TRUE(written.SameContent(StampOf(a)));
  ASSERT_TRUE(WriteFileSafely(a, "longer than before"));
  EXPECT_EQ(Get(Path("b.asm")), "longer than before");
  EXPECT_EQ(Entries(dir_.path().toStdString()), (QStringList{"a.asm", "b.asm"}));

  // No write permission bit: refused, root included.
  ASSERT_EQ(chmod(a.c_str(), 0444), 0);
  std::string reason;
  EXPECT_FALSE(WriteFileSafely(a, "lost", &reason));
  EXPECT_EQ(reason, "Permission denied");
  EXPECT_EQ(Get(a), "longer than before");
}

TEST_F(SafeWriteTest, FilesThatARenameWouldHarmAreRewrittenInPlace) {
  ASSERT_EQ(chmod(dir_.path().toLocal8Bit().constData(), 0755), 0);
  // A folder we cannot write, holding a file we can.
  const std::string locked = Path("locked");
  ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
  const std::string inside = locked + "/a.asm";
  ASSERT_TRUE(WriteFileSafely(inside, "old"));
  ASSERT_EQ(chmod(inside.c_str(), 0666), 0);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(inside.c_str(), kNobody, 0), 0);
  }
  ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
  const ino_t inode = Inode(inside);
  {
    ScopedEffectiveUser nobody(kNobody);
    std::string reason;
    EXPECT_TRUE(WriteFileSafely(inside, "new text", &reason)) << reason;
  }
  EXPECT_EQ(Get(inside), "new text");
  EXPECT_EQ(Inode(inside), inode);
  ASSERT_EQ(chmod(locked.c_str(), 0755), 0);

  if (geteuid() != 0) {
    return;  // only root can make a file whose owner we are not
  }
  // Someone else's file we may write, in a folder anyone may write: a new
  // file would be ours, so the file itself is rewritten and stays root's.
  const std::string shared = Path("shared");
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
  const std::string theirs = shared + "/b.asm";
  ASSERT_TRUE(WriteFileSafely(theirs, "old"));
  ASSERT_EQ(chmod(theirs.c_str(), 0666), 0);
  {
    ScopedEffectiveUser nobody(kNobody);
    std::string reason;
    EXPECT_TRUE(WriteFileSafely(theirs, "new", &reason)) << reason;
  }
  struct stat st {};
  ASSERT_EQ(stat(theirs.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0666u);
  EXPECT_EQ(Get(theirs), "new");
}

TEST_F(SafeWriteTest, WriteFailingInPlaceLeavesTheOldBytes) {
  const std::string a = Path("a.asm");
  ASSERT_TRUE(WriteFileSafely(a, "old bytes"));
  ASSERT_EQ(link(a.c_str(), Path("b.asm").c_str()), 0);
  // A file size limit makes the growing write fail, as a full disk would.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string reason;
    const bool ok = WriteFileSafely(a, std::string(100000, 'x'), &reason);
    _exit(ok ? 1 : reason == "File too large" ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Get(a), "old bytes");
  EXPECT_EQ(Get(Path("b.asm")), "old bytes");
  EXPECT_EQ(Entries(dir_.path().toStdString()), (QStringList{"a.asm", "b.asm"}));
}

TEST_F(SafeWriteTest, SaveKilledHalfWayLeavesNoTemporaryAndOldOnesAreRemoved) {
  const std::string dir = dir_.path().toStdString();
  const std::string a = Path("a.asm");
  ASSERT_TRUE(WriteFileSafely(a, "old bytes"));
  // The save is killed by the kernel in the middle of writing.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    WriteFileSafely(a, std::string(100000, 'x'));
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(Get(a), "old bytes");
  EXPECT_EQ(Entries(dir), QStringList{"a.asm"});

  // Temporaries a killed save of an older kind left: ours go at the next
  // save; one a running save still holds, and other names, stay.
  auto put = [&](const std::string& name) {
    const int fd = open(Path(name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    EXPECT_GE(fd, 0) << name;
    EXPECT_EQ(write(fd, "12345678", 8), 8);
    return fd;
  };
  close(put(".a.asm.tmp123456"));
  close(put(".a.asm.tmpnotours"));
  close(put(".b.asm.tmp1"));
  const int held = put(".a.asm.tmp42");
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  ASSERT_TRUE(WriteFileSafely(a, "new"));
  close(held);
  EXPECT_EQ(Entries(dir),
            (QStringList{".a.asm.tmp42", ".a.asm.tmpnotours", ".b.asm.tmp1", "a.asm"}));
  EXPECT_EQ(Get(a), "new");
}

// Content given in pieces is written whole on every path (a new file, one
// replaced through a temporary, one rewritten in place, behind a symbolic
// link), also when it is tens of megabytes in pieces of every size; a
// producer that throws leaves the old file on each path, no temporary
// behind, and its exception reaches the caller.
TEST_F(SafeWriteTest, ContentInPiecesIsWrittenWholeOrNotAtAll) {
  std::mt19937 random(20261209);
  std::string big(34u << 20, '\0');  // beyond the points where writeback starts
  for (char& c : big) {
    c = static_cast<char>('a' + random() % 26);
  }
  // Hands out `content` in pieces of random sizes, big ones too, and throws
  // after `throw_after` bytes when that is less than the content.
  auto producer = [&](const std::string& content, std::size_t throw_after) -> TByteProducer {
    return [&content, throw_after, &random](const TByteSink& sink) {
      std::size_t at = 0;
      while (at < content.size()) {
        const std::size_t most = random() % 4 == 0 ? (3u << 20) : 300;
        const std::size_t n = std::min<std::size_t>(1 + random() % most, content.size() - at);
        if (at + n > throw_after) {
          throw std::runtime_error("producer failed");
        }
        sink(std::string_view(content).substr(at, n));
        at += n;
      }
    };
  };
  const std::string a = Path("a.asm");
  const std::string link = Path("link.asm");
  ASSERT_EQ(symlink(a.c_str(), link.c_str()), 0);
  TFileStamp written;
  ASSERT_TRUE(WriteFileSafely(link, producer(big, SIZE_MAX), nullptr, &written));  // a new file
  EXPECT_TRUE(Get(a) == big);
  EXPECT_TRUE(written.SameContent(StampOf(a)));
  const std::string small = "small";
  ASSERT_TRUE(WriteFileSafely(a, producer(small, SIZE_MAX)));  // through a temporary
  EXPECT_EQ(Get(a), small);
  ASSERT_TRUE(WriteFileSafely(a, [](const TByteSink&) {}));  // nothing at all
  EXPECT_EQ(Get(a), "");
  ASSERT_TRUE(WriteFileSafely(a, "old bytes"));
  for (const std::size_t throw_after : {std::size_t{0}, std::size_t{5'000'000}}) {
    EXPECT_THROW(WriteFileSafely(a, producer(big, throw_after)), std::runtime_error);
    EXPECT_EQ(Get(a), "old bytes");
    EXPECT_EQ(Entries(dir_.path().toStdString()), (QStringList{"a.asm", "link.asm"}));
  }

  // In place (another name links the file): the content is measured by a
  // first run of the producer, then written; a throw in either run leaves
  // or puts back the old bytes.
  ASSERT_EQ(::link(a.c_str(), Path("b.asm").c_str()), 0);
  const ino_t inode = Inode(a);
  int runs = 0;
  EXPECT_THROW(WriteFileSafely(a,
                               [&](const TByteSink& sink) {
                                 if (++runs == 2) {
                                   sink("partly");
                                   throw std::runtime_error("second run");
                                 }
                                 sink("twelve bytes");
                               }),
               std::runtime_error);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(Get(Path("b.asm")), "old bytes");
  EXPECT_THROW(WriteFileSafely(a, producer(big, 0)), std::runtime_error);
  EXPECT_EQ(Get(Path("b.asm")), "old bytes");
  ASSERT_TRUE(WriteFileSafely(a, producer(big, SIZE_MAX)));
  EXPECT_TRUE(Get(Path("b.asm")) == big);
  ASSERT_TRUE(WriteFileSafely(a, producer(small, SIZE_MAX)));  // shrinks
  EXPECT_EQ(Get(Path("b.asm")), small);
  EXPECT_EQ(Inode(a), inode);
  EXPECT_EQ(Entries(dir_.path().toStdString()), (QStringList{"a.asm", "b.asm", "link.asm"}));
}

}  // namespace
}  // namespace torvane

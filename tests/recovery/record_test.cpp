// Recovery records: the format round trip, cut-short and corrupt records,
// durable writes that keep the last whole record, owners and locks.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <fstream>
#include <random>

#include "recovery/record_store.h"
#include "recovery/record_writer.h"

namespace torvane {
namespace {

std::string RandomBytes(std::mt19937& random, std::size_t max) {
  std::string bytes(random() % (max + 1), '\0');
  for (char& c : bytes) {
    c = static_cast<char>(random() % 256);
  }
  return bytes;
}

TRecoveryHeader RandomHeader(std::mt19937& random) {
  TRecoveryHeader h;
  h.owner = {static_cast<int>(random() % 100000 + 1), random() * 1000ull, RandomBytes(random, 40)};
  h.file_name = random() % 3 == 0 ? std::string() : "/tmp/" + RandomBytes(random, 30);
  h.code_page = random() % 2 == 0 ? "UTF-8" : "GBK";
  h.format = static_cast<TSrcEditFileFormat>(random() % 3);
  h.final_line_break = random() % 2 == 0;
  h.file_stamp = {random() % 2 == 0,
                  random(),
                  random(),
                  static_cast<std::int64_t>(random()),
                  static_cast<std::int64_t>(random()) * 1000,
                  static_cast<std::int64_t>(random())};
  h.saved_ms = static_cast<std::int64_t>(random()) * 7;
  return h;
}

void ExpectSame(const TRecoveryHeader& a, const TRecoveryHeader& b) {
  EXPECT_EQ(a.owner, b.owner);
  EXPECT_EQ(a.file_name, b.file_name);
  EXPECT_EQ(a.code_page, b.code_page);
  EXPECT_EQ(a.format, b.format);
  EXPECT_EQ(a.final_line_break, b.final_line_break);
  EXPECT_EQ(a.file_stamp, b.file_stamp);
  EXPECT_EQ(a.saved_ms, b.saved_ms);
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Seeded: every field and any bytes survive the round trip; any cut or any
// changed byte makes the record unusable (never a wrong text), and parsing
// never crashes.
TEST(RecordFormat, RoundTripCutsAndCorruption) {
  std::mt19937 random(32);
  for (int round = 0; round < 200; ++round) {
    const TRecoveryHeader header = RandomHeader(random);
    const std::string text = RandomBytes(random, 300);
    const std::string bytes = EncodeRecord(header, text);
    const auto parsed = ParseRecord(bytes);
    ASSERT_TRUE(parsed.has_value()) << round;
    ExpectSame(parsed->header, header);
    EXPECT_EQ(parsed->text, text);
    for (int i = 0; i < 20; ++i) {
      std::string changed = bytes;
      const std::size_t at = random() % changed.size();
      changed[at] = static_cast<char>(changed[at] ^ (1 + random() % 255));
      EXPECT_FALSE(ParseRecord(changed).has_value()) << round << " byte " << at;
    }
    EXPECT_FALSE(ParseRecord(bytes + "x").has_value());
  }
  // Every cut of a small record, through the file reader too.
  TRecoveryHeader header;
  header.file_name = "/tmp/a.asm";
  header.code_page = "UTF-8";
  const std::string bytes = EncodeRecord(header, "mov eax, 1\nret\n");
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/cut.rec";
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(ParseRecord(std::string_view(bytes).substr(0, cut)).has_value()) << cut;
    Put(path, bytes.substr(0, cut));
    EXPECT_FALSE(ReadRecordFile(path).has_value()) << cut;
  }
  EXPECT_FALSE(ParseRecord("").has_value());
  EXPECT_FALSE(ParseRecord("torvane-recovery 1\n\n").has_value());
  EXPECT_FALSE(ParseRecord("torvane-recovery 2\nlength 99999999999999999999\n\n").has_value());
}

// A process that has ended: its id and start time as a record names them.
TRecoveryOwner DeadOwner() {
  const pid_t child = fork();
  if (child == 0) {
    _exit(0);
  }
  TRecoveryOwner owner = OwnerOfProcess(child);
  waitpid(child, nullptr, 0);
  return owner;
}

// A write killed at any point leaves the last whole record the only one
// found: the cut temporary is ignored and cleared away; a cut record is
// ignored but stays on disk; the owner's live records are never offered.
TEST(RecordStore, OrphansSurviveCutWritesAndLiveOwnersAreSkipped) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/state/torvane/recovery";
  ASSERT_TRUE(MakeRecoveryFolder(folder, nullptr));
  const TRecoveryOwner dead = DeadOwner();
  ASSERT_FALSE(OwnerAlive(dead));
  TRecoveryHeader header;
  header.owner = dead;
  header.file_name = "/src/a.asm";
  header.code_page = "UTF-8";
  header.saved_ms = 100;
  const std::string stem = folder + "/" + OwnerFileStem(dead, 1);
  const std::string whole_text = "line 1\r\nline 2\r\n";
  ASSERT_TRUE(WriteRecordDurably(stem + ".rec", header, {whole_text}, whole_text.size(), nullptr));
  const std::string newer = EncodeRecord(header, whole_text + "line 3\r\n");
  // A newer state of an older-named record, cut at every byte.
  for (std::size_t cut = 0; cut < newer.size(); cut += 3) {
    Put(folder + "/." + OwnerFileStem(dead, 1) + ".rec.tmp", newer.substr(0, cut));
    Put(folder + "/" + OwnerFileStem(dead, 2) + ".rec", newer.substr(0, cut));
    const std::vector<TFoundRecord> found = OrphanRecords(folder);
    ASSERT_EQ(found.size(), 1u) << cut;
    EXPECT_EQ(found[0].record.text, whole_text);
    EXPECT_EQ(found[0].path, stem + ".rec");
    struct stat st {};
    EXPECT_NE(stat((folder + "/." + OwnerFileStem(dead, 1) + ".rec.tmp").c_str(), &st), 0);
    EXPECT_EQ(stat((folder + "/" + OwnerFileStem(dead, 2) + ".rec").c_str(), &st), 0);
  }
  // This process's own record is its business, not an orphan.
  header.owner = ThisProcess();
  const std::string own = folder + "/" + OwnerFileStem(ThisProcess(), 99) + ".rec";
  ASSERT_TRUE(WriteRecordDurably(own, header, {"x"}, 1, nullptr));
  EXPECT_EQ(OrphanRecords(folder).size(), 1u);
  // A cancelled write leaves the previous record as it was.
  std::atomic<bool> cancel{true};
  std::string reason;
  EXPECT_FALSE(WriteRecordDurably(stem + ".rec", header, {"y"}, 1, &reason, &cancel));
  EXPECT_EQ(ReadRecordFile(stem + ".rec")->text, whole_text);
  // Newest first.
  header.owner = dead;
  header.saved_ms = 200;
  ASSERT_TRUE(WriteRecordDurably(folder + "/" + OwnerFileStem(dead, 3) + ".rec", header, {"new"}, 3,
                                 nullptr));
  const auto found = OrphanRecords(folder);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].record.text, "new");
}

// The worker: writes are coalesced, a removal wins over a queued write, a
// rename moves the record in order, a failure is reported with its reason.
TEST(RecordWriter, OrderCoalescingAndFailure) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  TRecordWriter writer;
  std::mutex mutex;
  std::vector<std::string> failures;
  writer.OnWritten = [&](bool written, const std::string& reason) {
    if (!written) {
      std::lock_guard lock(mutex);
      failures.push_back(reason);
    }
  };
  auto job = [&](const std::string& name, const std::string& text) {
    TRecordJob j;
    j.path = folder + "/" + name;
    j.header.owner = ThisProcess();
    j.pieces = {std::make_shared<const std::string>(text.substr(0, text.size() / 2)),
                std::make_shared<const std::string>(text.substr(text.size() / 2) + "TAIL")};
    j.length = text.size();
    return j;
  };
  for (int i = 0; i < 50; ++i) {
    writer.Write(job("a.rec", "text " + std::to_string(i)));
  }
  writer.Flush();
  EXPECT_EQ(ReadRecordFile(folder + "/a.rec")->text, "text 49");
  writer.Write(job("b.rec", "gone"));
  writer.Remove(folder + "/b.rec");
  writer.Rename(folder + "/a.rec", folder + "/c.rec");
  writer.Flush();
  EXPECT_FALSE(ReadRecordFile(folder + "/b.rec").has_value());
  EXPECT_FALSE(ReadRecordFile(folder + "/a.rec").has_value());
  EXPECT_EQ(ReadRecordFile(folder + "/c.rec")->text, "text 49");
  writer.Write(job("missing/d.rec", "no folder"));
  writer.Flush();
  std::lock_guard lock(mutex);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_FALSE(failures[0].empty());
}

// A lock names the file a live program edits: another program is told its
// id (also under another name of the file); its own lock and a dead
// program's lock tell nothing.
TEST(RecordStore, LocksNameLiveEditors) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string file = folder + "/prog.asm";
  Put(file, "x");
  ASSERT_EQ(symlink(file.c_str(), (folder + "/link.asm").c_str()), 0);
  const pid_t other = fork();
  if (other == 0) {
    pause();
    _exit(0);
  }
  const TRecoveryOwner owner = OwnerOfProcess(other);
  ASSERT_TRUE(WriteLockFile(folder + "/" + OwnerFileStem(owner, 1) + ".lock", owner, file));
  ASSERT_TRUE(
      WriteLockFile(folder + "/" + OwnerFileStem(ThisProcess(), 1) + ".lock", ThisProcess(), file));
  EXPECT_EQ(FileEditedElsewhere(folder, file), std::optional<int>(other));
  EXPECT_EQ(FileEditedElsewhere(folder, folder + "/link.asm"), std::optional<int>(other));
  EXPECT_EQ(FileEditedElsewhere(folder, folder + "/other.asm"), std::nullopt);
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
  EXPECT_EQ(FileEditedElsewhere(folder, file), std::nullopt);
  OrphanRecords(folder);  // clears the dead program's lock
  struct stat st {};
  EXPECT_NE(stat((folder + "/" + OwnerFileStem(owner, 1) + ".lock").c_str(), &st), 0);
}

TEST(RecordStore, FolderFollowsXdgStateHome) {
  const char* saved = getenv("XDG_STATE_HOME");
  const std::string keep = saved != nullptr ? saved : "";
  setenv("XDG_STATE_HOME", "/var/state-test", 1);
  EXPECT_EQ(RecoveryFolder(), "/var/state-test/torvane/recovery");
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(RecoveryFolder(), std::string(getenv("HOME")) + "/.local/state/torvane/recovery");
  if (saved != nullptr) {
    setenv("XDG_STATE_HOME", keep.c_str(), 1);
  }
}

}  // namespace
}  // namespace torvane

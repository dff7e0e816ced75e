// Opening and saving documents: dialog titles, failures and their messages,
// line-break formats, the selection options, adoption and the byte events.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "platform/gui/file_dialog.h"
#include "tests/document_control/document_fixture.h"
#include "tests/support/nasm_fold_regions.h"
#include "tests/support/small_filesystem.h"

namespace torvane {
namespace {

const QString kOpenError = QStringLiteral("可能该文档不存在或被其它程序以独占方式打开！");
const QString kSaveError = QStringLiteral("可能该文档属性是为只读被其它程序以独占方式打开！");

TEST_F(DocumentTest, DialogTitlesDefaultOnlyWhenEmpty) {
  const std::string path = Put("a.asm", "mov eax, 1");
  TOpenDialog untitled;
  dialogs_.file_answers.push_back(QString::fromStdString(path));
  EXPECT_TRUE(editor_.OpenDocument("", &untitled, doDefine));
  ASSERT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_EQ(dialogs_.file_requests[0].title, QStringLiteral("打开文档..."));
  EXPECT_EQ(Text(), "mov eax, 1");

  TOpenDialog titled;
  titled.Title = QStringLiteral("打开汇编语言源程序文件");
  dialogs_.file_answers.push_back(std::nullopt);
  EXPECT_FALSE(editor_.OpenDocument("", &titled, doDefine));
  EXPECT_EQ(dialogs_.file_requests[1].title, QStringLiteral("打开汇编语言源程序文件"));
  EXPECT_EQ(Text(), "mov eax, 1");  // cancelled: nothing changed, no message
  EXPECT_TRUE(boxes_.empty());

  TSaveDialog save_named;
  dialogs_.file_answers.push_back(std::nullopt);
  EXPECT_FALSE(editor_.SaveDocument("/tmp/b c.asm", &save_named, doDefine));
  EXPECT_EQ(dialogs_.file_requests[2].title, QStringLiteral("保存文档 /tmp/b c.asm"));
  TSaveDialog save_unnamed;
  dialogs_.file_answers.push_back(std::nullopt);
  EXPECT_FALSE(editor_.SaveDocument("", &save_unnamed, doDefine));
  EXPECT_EQ(dialogs_.file_requests[3].title, QStringLiteral("保存文档 "));
}

TEST_F(DocumentTest, MissingFileShowsOpenErrorAndKeepsText) {
  Type("keep");
  const std::string missing = Path("no such.asm");
  ExpectMessage();
  EXPECT_FALSE(editor_.OpenDocument(missing, nullptr, 0));
  EXPECT_EQ(Text(), "keep");
  ASSERT_EQ(boxes_.size(), 1u);
  const QString text =
      QString::fromStdString(missing) + QStringLiteral(" 文档打开时出错\r\n\r\n") + kOpenError;
  // What Ctrl+C copies from the box: caption, message and the one button.
  const QString rule = QString(27, QLatin1Char('-')) + QStringLiteral("\r\n");
  EXPECT_EQ(boxes_[0], rule + QApplication::applicationDisplayName() + QStringLiteral("\r\n") +
                           rule + text + QStringLiteral("\r\n") + rule +
                           QStringLiteral("确定(O)   \r\n") + rule);
  // A directory cannot be read as a document either.
  ExpectMessage();
  EXPECT_FALSE(editor_.OpenDocument(Path(""), nullptr, 0));
  EXPECT_EQ(Text(), "keep");
}

TEST_F(DocumentTest, UnixFileSavedAgainKeepsLfAndItsFinalBreak) {
  const std::string path = Put("unix.asm", "a\nb\n\nc\n\n");
  ASSERT_TRUE(editor_.OpenDocument(path, nullptr, 0));
  EXPECT_EQ(editor_.DocumentFormat(), sffUnix);
  EXPECT_TRUE(editor_.FinalLineBreak());
  ASSERT_TRUE(editor_.SaveDocument(path, nullptr, 0));
  EXPECT_EQ(Get(path), "a\nb\n\nc\n");  // the trailing blank line goes, the break stays

  editor_.SetDocumentFormat(sffMac);
  ASSERT_TRUE(editor_.SaveDocument(path, nullptr, 0));
  EXPECT_EQ(Get(path), "a\rb\r\rc\r");
}

// What opening `in` and saving gives, worked out independently: the lines
// split at CR, LF or CR LF without trailing blank lines, the detected break
// (`unseen` when the file shows none), and a final break when the file ended
// with one (an empty file: `unseen_final`). `append` is typed at the end.
std::string ExpectedSave(const std::string& in, TSrcEditFileFormat unseen, bool unseen_final,
                         const std::string& append) {
  std::vector<std::string> lines;
  bool cr = false;
  bool lf = false;
  for (std::size_t p = 0; p < in.size();) {
    const std::size_t e = std::min(in.find_first_of("\r\n", p), in.size());
    lines.push_back(in.substr(p, e - p));
    p = e;
    if (p < in.size() && in[p] == '\r') {
      cr = true;
      ++p;
    }
    if (p < in.size() && in[p] == '\n') {
      lf = true;
      ++p;
    }
  }
  while (!lines.empty() && std::all_of(lines.back().begin(), lines.back().end(), [](char c) {
    return static_cast<unsigned char>(c) <= 0x20;
  })) {
    lines.pop_back();
  }
  if (!append.empty()) {
    if (lines.empty()) {
      lines.emplace_back();
    }
    lines.back() += append;
  }
  const std::string brk = cr && !lf   ? "\r"
                          : lf && !cr ? "\n"
                          : cr && lf  ? "\r\n"
                                      : std::string(LineBreakOf(unseen));
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += (i > 0 ? brk : "") + lines[i];
  }
  const bool final_break = in.empty() ? unseen_final : in.back() == '\r' || in.back() == '\n';
  if (final_break && !out.empty()) {
    out += brk;
  }
  return out;
}

TEST_F(DocumentTest, RandomFilesKeepTheirFinalBreakThroughOpenAndSave) {
  std::mt19937 random(20261208);
  const std::string alphabet = "ab \t\r\n\n";
  const TSrcEditFileFormat formats[] = {sffDos, sffUnix, sffMac};
  const std::string path = Path("r.asm");
  for (int round = 0; round < 300; ++round) {
    std::string in;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) {
      in += alphabet[random() % alphabet.size()];
    }
    const TSrcEditFileFormat unseen = formats[random() % 3];
    const bool unseen_final = random() % 2 == 0;
    const std::string append = random() % 3 == 0 ? "x" : "";
    editor_.SetUnseenLineBreaks(unseen, unseen_final);
    Put("r.asm", in);
    ASSERT_TRUE(editor_.OpenDocument(path, nullptr, 0)) << round;
    if (!append.empty()) {
      editor_.ProcessCommand(ecEditorBottom);
      Type(append);
    }
    ASSERT_TRUE(editor_.SaveDocument(path, nullptr, 0)) << round;
    const std::string out = Get(path);
    ASSERT_EQ(out, ExpectedSave(in, unseen, unseen_final, append)) << "round " << round;
    // What was saved opens and saves to the same bytes.
    ASSERT_TRUE(editor_.OpenDocument(path, nullptr, 0)) << round;
    ASSERT_TRUE(editor_.SaveDocument(path, nullptr, 0)) << round;
    ASSERT_EQ(Get(path), out) << "round " << round;
  }
}

TEST_F(DocumentTest, SelectionSaveWritesCrLfAfterEveryLine) {
  const std::string path = Put("unix.asm", "one\ntwo\nthree");
  ASSERT_TRUE(editor_.OpenDocument(path, nullptr, 0));
  editor_.Model().PlaceCaretAndSelection({3, 2}, {2, 1}, {3, 2});
  const std::string out = Path("part.asm");
  ASSERT_TRUE(editor_.SaveDocument(out, nullptr, doSelection));
  EXPECT_EQ(Get(out), "ne\r\ntw\r\n");
  // The selection ending at a line start still ends with one break only.
  editor_.Model().PlaceCaretAndSelection({1, 3}, {1, 1}, {1, 3});
  ASSERT_TRUE(editor_.SaveDocument(out, nullptr, doSelection));
  EXPECT_EQ(Get(out), "one\r\ntwo\r\n");
  EXPECT_EQ(editor_.DocumentName(), "");
}

TEST_F(DocumentTest, SelectionOpenInsertsUndoably) {
  const std::string path = Put("part.asm", "xy\nz");
  Type("ab");
  editor_.SetModified(false);
  editor_.Model().PlaceCaretAndSelection({2, 1}, {1, 1}, {2, 1});
  ASSERT_TRUE(editor_.OpenDocument(path, nullptr, doSelection));
  EXPECT_EQ(Text(), "xy\r\nzb");
  EXPECT_TRUE(editor_.Modified());
  editor_.Undo();
  EXPECT_EQ(Text(), "ab");
}

TEST_F(DocumentTest, ResetAdoptsTheFileAndClearsModified) {
  const std::string path = Put("a.asm", "x");
  Type("typed");
  ASSERT_TRUE(editor_.Modified());
  int status_calls = 0;
  editor_.SetOnStatusChange([&](TCustomSrcEdit&, TSrcStatusChanges) { ++status_calls; });
  ASSERT_TRUE(editor_.OpenDocument(path, nullptr, 0));
  EXPECT_TRUE(editor_.Modified());  // opening alone keeps the flag
  EXPECT_EQ(editor_.DocumentState(), smsNormal);
  Type("y");
  const std::string saved = Path("saved.asm");
  ASSERT_TRUE(editor_.SaveDocument(saved, nullptr, doReset));
  EXPECT_FALSE(editor_.Modified());
  EXPECT_EQ(editor_.DocumentName(), saved);
  EXPECT_EQ(editor_.DocumentState(), smsDocument);
  EXPECT_GT(status_calls, 0);
  Type("z");
  ASSERT_TRUE(editor_.OpenDocument(path, nullptr, doReset));
  EXPECT_FALSE(editor_.Modified());
  EXPECT_EQ(editor_.DocumentName(), path);
  EXPECT_EQ(editor_.FirstVisibleRow(), 1);
}

TEST_F(DocumentTest, ByteEventsSeeAndReplaceTheBytes) {
  const std::string path = Put("a.asm", "raw");
  editor_.OnLoadDocument = [](TCustomSrcEditor&, TSrcMemoryStream& stream, TSrcDocumentOptions o) {
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(stream.Bytes(), "raw");
    EXPECT_EQ(o, doReset);
    stream = TSrcMemoryStream("cooked\r\ntext");
  };
  ASSERT_TRUE(editor_.OpenDocument(path, nullptr, doReset));
  EXPECT_EQ(Text(), "cooked\r\ntext");
  editor_.OnSaveDocument = [](TCustomSrcEditor&, TSrcMemoryStream& stream, TSrcDocumentOptions) {
    EXPECT_EQ(stream.Bytes(), "cooked\r\ntext");
    stream.SetPosition(stream.Size());
    stream.Write("!", 1);
  };
  ASSERT_TRUE(editor_.SaveDocument(path, nullptr, 0));
  EXPECT_EQ(Get(path), "cooked\r\ntext!");

  // A handler that fails turns into the fixed message; the file stays.
  editor_.OnSaveDocument = [](TCustomSrcEditor&, TSrcMemoryStream&, TSrcDocumentOptions) {
    throw std::runtime_error("handler");
  };
  ExpectMessage();
  EXPECT_FALSE(editor_.SaveDocument(path, nullptr, 0));
  EXPECT_TRUE(messages_.back().endsWith(kSaveError));
  EXPECT_EQ(Get(path), "cooked\r\ntext!");
  editor_.OnLoadDocument = [](TCustomSrcEditor&, TSrcMemoryStream&, TSrcDocumentOptions) {
    throw std::runtime_error("handler");
  };
  ExpectMessage();
  EXPECT_FALSE(editor_.OpenDocument(path, nullptr, 0));
  EXPECT_TRUE(messages_.back().endsWith(kOpenError));
  EXPECT_EQ(Text(), "cooked\r\ntext");

  int closed = 0;
  editor_.OnCloseDocument = [&](TCustomSrcEditor&) { ++closed; };
  EXPECT_EQ(closed, 0);  // nothing in the control closes a document itself
}

TEST_F(DocumentTest, SaveKeepsPermissionsAndLinks) {
  const std::string target = Put("real.asm", "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  const std::string link = Path("link.asm");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  Type("new");
  ASSERT_TRUE(editor_.SaveDocument(link, nullptr, 0));
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Get(target), "new");
}

TEST_F(DocumentTest, ReadOnlyTargetShowsSaveErrorAndStaysIntact) {
  Type("new text");
  std::string path;
  std::unique_ptr<SmallFileSystem> fs;
  if (geteuid() == 0) {
    // Root may write any file, so the target sits on a read-only file system.
    const std::string mount_dir = Path("ro");
    ASSERT_EQ(::mkdir(mount_dir.c_str(), 0755), 0);
    fs = std::make_unique<SmallFileSystem>(mount_dir, "size=64k");
    if (!fs->mounted()) {
      GTEST_SKIP() << "running as root without a way to mount a small tmpfs";
    }
    path = mount_dir + "/a.asm";
    ASSERT_TRUE(WriteFileSafely(path, "old"));
    ASSERT_TRUE(fs->MakeReadOnly());
  } else {
    path = Put("a.asm", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  }
  ExpectMessage();
  EXPECT_FALSE(editor_.SaveDocument(path, nullptr, doReset));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].toStdString(),
            (QString::fromStdString(path) + QStringLiteral(" 文档保存时出错\n\n") + kSaveError)
                .toStdString());
  EXPECT_EQ(Get(path), "old");
  EXPECT_TRUE(editor_.Modified());
  EXPECT_EQ(editor_.DocumentName(), "");
}

TEST_F(DocumentTest, FullFileSystemLeavesTheOldFile) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "mounting a small file system needs root";
  }
  const std::string mount_dir = Path("full");
  ASSERT_EQ(::mkdir(mount_dir.c_str(), 0755), 0);
  SmallFileSystem fs(mount_dir, "size=64k");
  if (!fs.mounted()) {
    GTEST_SKIP() << "mounting a small file system failed; full-disk behaviour not tested here";
  }
  const std::string path = mount_dir + "/a.asm";
  ASSERT_TRUE(WriteFileSafely(path, "old bytes"));
  fs.Fill();
  Type(std::string(20000, 'x'));
  ExpectMessage();
  EXPECT_FALSE(editor_.SaveDocument(path, nullptr, 0));
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(Get(path), "old bytes");
  fs.Unfill();
  ASSERT_TRUE(editor_.SaveDocument(path, nullptr, 0));
  EXPECT_EQ(Get(path).size(), 20000u);
}

// Without a byte event the text goes to the file in pieces: the bytes are
// those the event path writes (and sees), with a collapsed block expanded,
// in each format, with and without the final break, also after a last line
// left empty; and a save that fails leaves the old file.
TEST_F(DocumentTest, SavingInPiecesWritesWhatTheByteEventSees) {
  test::AddNasmFoldRegions(editor_.CodeFolding().FoldRegions());
  editor_.CodeFolding().SetEnabled(true);
  const std::string path = Put("f.asm", "start:\n%macro\tm 0\n\tline1\n\tline2\n%endmacro\nret\n");
  ASSERT_TRUE(editor_.OpenDocument(path, nullptr, 0));
  editor_.RescanFolds();
  const TSrcEditFileFormat formats[] = {sffDos, sffUnix, sffMac};
  for (int round = 0; round < 24; ++round) {
    const std::string trace = "round " + std::to_string(round);
    if (round == 12) {
      ASSERT_TRUE(editor_.CollapseFold(*editor_.FoldRanges().FindFoldStartAt(2)));
      ASSERT_EQ(editor_.Model().Folds().CollapsedCount(), 1);
    }
    if (round % 6 == 3) {
      editor_.Lines().AppendLine("");  // the text then ends with a break
    }
    editor_.SetDocumentFormat(formats[round % 3]);
    editor_.SetFinalLineBreak(round % 2 == 0);
    editor_.OnSaveDocument = nullptr;
    ASSERT_TRUE(editor_.SaveDocument(path, nullptr, 0)) << trace;
    std::string seen;
    editor_.OnSaveDocument = [&](TCustomSrcEditor&, TSrcMemoryStream& stream, TSrcDocumentOptions) {
      seen = stream.Bytes();
    };
    const std::string other = Path("other.asm");
    ASSERT_TRUE(editor_.SaveDocument(other, nullptr, 0)) << trace;
    EXPECT_EQ(Get(path), seen) << trace;
    EXPECT_EQ(Get(other), seen) << trace;
    EXPECT_NE(seen.find("line2"), std::string::npos) << trace;  // expanded
  }
  // A write that fails half-way (a file size limit, as a full disk):
  // the message, and the old bytes, also in place (another link).
  editor_.OnSaveDocument = nullptr;
  editor_.Lines().AppendLine(std::string(100000, 'x'));
  const std::string before = Get(path);
  ASSERT_EQ(::link(path.c_str(), Path("second link.asm").c_str()), 0);
  for (const bool linked : {true, false}) {
    if (!linked) {
      ASSERT_EQ(::unlink(Path("second link.asm").c_str()), 0);
    }
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, old_limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    ExpectMessage();
    const bool saved = editor_.SaveDocument(path, nullptr, 0);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(saved) << linked;
    EXPECT_EQ(Get(path), before) << linked;
  }
  EXPECT_EQ(messages_.size(), 2u);
}

}  // namespace
}  // namespace torvane

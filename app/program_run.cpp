// The run's steps (assemble when needed, check the image, find the emulator,
// start it) and the pane's live output.
#include "app/program_run.h"

#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <cstdlib>
#include <fstream>

#include "app/assembler.h"
#include "app/machine_code.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "document/control/src_editor.h"
#include "listing/line_map.h"
#include "platform/codepage.h"
#include "platform/file_access.h"
#include "platform/gui/dialogs.h"
#include "run/program_kind.h"

namespace torvane {
namespace {

// A program that prints without end must not fill the memory: while a run
// goes the pane keeps this many lines.
constexpr int kRunPaneLines = 20000;
// An unfinished line (a prompt, a dot per step) shows after this pause.
constexpr int kRestDelayMs = 150;

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

std::string AbsolutePath(const std::string& path) {
  return QFile::encodeName(QFileInfo(FromFileName(path)).absoluteFilePath()).toStdString();
}

// The first bytes of a file, at most `limit`.
std::string FileStart(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(limit, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

TProgramRun::TProgramRun(TFAsmEd& window)
    : window_(window),
      pane_(*window.Memo1),
      pane_line_limit_(kRunPaneLines),
      rest_timer_(std::make_unique<QTimer>()) {
  rest_timer_->setSingleShot(true);
  rest_timer_->setInterval(kRestDelayMs);
  QObject::connect(rest_timer_.get(), &QTimer::timeout, [this] { FlushRest(); });
  process_.OnOutput = [this](const std::string& bytes) { Output(bytes); };
  process_.OnErrorOutput = [this](const std::string& bytes) { ErrorOutput(bytes); };
  process_.OnFinished = [this](const TLiveProcessEnd& end) { Finished(end); };
}

TProgramRun::~TProgramRun() {
  process_.OnOutput = nullptr;
  process_.OnErrorOutput = nullptr;
  process_.OnFinished = nullptr;
  process_.Stop();
  process_.WaitForEnd();
  RemoveTemporaryFiles();
}

void TProgramRun::Run(const std::vector<std::string>& qemu_arguments) {
  if (window_.Assembling()) {
    return;
  }
  if (Running()) {
    TMessageRequest question;
    question.parent = &window_;
    question.caption = QStringLiteral("运行");
    question.text = QStringLiteral("程序正在运行。要停止它并重新运行吗？");
    question.icon = TMsgIcon::Question;
    question.buttons = TMsgButtons::YesNo;
    question.captions = {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")};
    if (Dialogs().ShowMessage(question) != mrYes) {
      return;
    }
    StopAndWait();
  }
  std::string source = window_.AssemblySource();
  std::string binary = source.empty()
                           ? std::string()
                           : PlanAssemblerRun(window_.AssemblerPath(), source).binary_path;
  if (source.empty() || !BinaryIsCurrent(source, binary)) {
    if (!AssembleFirst(binary)) {
      return;
    }
    // An unnamed text got its name in the assembly's save.
    source = window_.AssemblySource();
    binary = PlanAssemblerRun(window_.AssemblerPath(), source).binary_path;
    if (!StampOf(binary).exists) {
      return;
    }
  }
  Start(source, binary, qemu_arguments);
}

bool TProgramRun::BinaryIsCurrent(const std::string& source, const std::string& binary) const {
  if (window_.SrcEditor1->Modified()) {
    return false;
  }
  const TFileStamp binary_stamp = StampOf(binary);
  if (!binary_stamp.exists) {
    return false;
  }
  for (const std::string& file : MadeOf(source)) {
    const TFileStamp stamp = StampOf(file);
    if (!stamp.exists || stamp.mtime_ns > binary_stamp.mtime_ns) {
      return false;
    }
  }
  return true;
}

std::vector<std::string> TProgramRun::MadeOf(const std::string& source) const {
  std::shared_ptr<const TListingMap> map = window_.MachineCode1->Map();
  if (map == nullptr || map->FindFile(source) != 0) {
    // No assembly of this file in this session: the listing it left.
    const TAssemblerRun run = PlanAssemblerRun(window_.AssemblerPath(), source);
    std::string listing;
    if (!ReadFileBytes(run.listing_path, &listing)) {
      return {source};
    }
    map = std::make_shared<const TListingMap>(
        TListingMap::Build(listing, source, run.working_directory));
  }
  return map->Files();  // the source first
}

bool TProgramRun::AssembleFirst(const std::string& binary) {
  const TFileStamp before = binary.empty() ? TFileStamp{} : StampOf(binary);
  if (!window_.AssembleDocument()) {
    return false;  // not saved, or cancelled
  }
  // NASM removes its output when it reports an error, so a binary this run
  // wrote is a clean (or merely warned) assembly.
  const std::string written =
      PlanAssemblerRun(window_.AssemblerPath(), window_.AssemblySource()).binary_path;
  const TFileStamp after = StampOf(written);
  return after.exists && (written != binary || !(after == before));
}

void TProgramRun::Refuse(const QString& text) {
  TMessageRequest message;
  message.parent = &window_;
  message.caption = QStringLiteral("运行");
  message.text = text;
  message.icon = TMsgIcon::Warning;
  message.buttons = TMsgButtons::Ok;
  Dialogs().ShowMessage(message);
}

void TProgramRun::Start(const std::string& source, const std::string& binary,
                        const std::vector<std::string>& qemu_arguments) {
  const TRunSettings settings = ReadRunSettings(SettingsFilePath(SettingsDirectory));
  const TFileStamp stamp = StampOf(binary);
  const std::string first = FileStart(binary, kBootSectorSize);
  std::string source_text;
  ReadFileBytes(source, &source_text);
  const TProgramKind kind = ChooseProgramKind(settings.Kind, source_text, first);
  const std::string binary_name = FromFileName(binary).toStdString();
  const TImageCheck check = CheckImage(kind, stamp.size, first, binary_name);
  if (!check.Ok) {
    Refuse(QString::fromStdString(check.Problem));
    return;
  }
  const std::string absolute = AbsolutePath(binary);
  std::string directory;
  std::string file_name;
  SplitDirectory(absolute, directory, file_name);
  TEmulatorCommand command = kind == pkDosCom
                                 ? PlanDosBoxRun(settings, directory)
                                 : PlanQemuRun(settings, absolute, check.Disk, qemu_arguments);
  const char* path_variable = std::getenv("PATH");
  const std::string program =
      FindProgram(command.Program, path_variable != nullptr ? path_variable : "");
  if (program.empty()) {
    Refuse(QString::fromStdString(
        MissingEmulatorMessage(FromFileName(command.Program).toStdString(), command.PackageName)));
    return;
  }
  if (kind == pkDosCom) {
    std::string bytes;
    std::string reason;
    if (!ReadFileBytes(binary, &bytes, &reason) ||
        !WriteFileSafely(command.TemporaryFiles[0], bytes, &reason) ||
        !WriteFileSafely(command.TemporaryFiles[2], DosBoxConfiguration(settings), &reason)) {
      command_ = command;
      RemoveTemporaryFiles();
      Refuse(QStringLiteral("无法准备 DOS 程序：%1").arg(QString::fromStdString(reason)));
      return;
    }
    RemoveFile(command.OutputFile);
  }
  command_ = command;
  dos_ = kind == pkDosCom;
  lines_ = TOutputLines();
  error_lines_ = TOutputLines();
  error_bytes_.clear();
  line_open_ = false;
  AppendLine(
      QString::fromStdString(RunStartText(binary_name, FromFileName(program).toStdString())));
  old_block_limit_ = pane_.maximumBlockCount();
  pane_.setMaximumBlockCount(pane_line_limit_);
  std::string error;
  if (!process_.Start(program, command.Arguments, command.WorkingDirectory, command.Environment,
                      &error)) {
    pane_.setMaximumBlockCount(old_block_limit_);
    RemoveTemporaryFiles();
    AppendLine(QStringLiteral("无法启动模拟器：%1").arg(QString::fromStdString(error)));
  }
}

void TProgramRun::Stop() {
  process_.Stop();
}

void TProgramRun::StopAndWait() {
  process_.Stop();
  process_.WaitForEnd();
}

void TProgramRun::Output(const std::string& bytes) {
  if (dos_) {
    error_bytes_ += bytes;  // DOSBox's own messages; the program's go to a file
    return;
  }
  for (const std::string& line : lines_.Feed(bytes)) {
    const QString text = DecodeText(line);
    if (line_open_) {
      AppendPiece(text);
      line_open_ = false;
    } else {
      AppendLine(text);
    }
  }
  if (lines_.HasRest()) {
    rest_timer_->start();
  }
}

void TProgramRun::ErrorOutput(const std::string& bytes) {
  if (dos_) {
    error_bytes_ += bytes;
    return;
  }
  for (const std::string& line : error_lines_.Feed(bytes)) {
    line_open_ = false;
    AppendLine(DecodeText(line));
  }
}

void TProgramRun::FlushRest() {
  if (lines_.HasRest()) {
    AppendPiece(DecodeText(lines_.TakeRest()));
    line_open_ = true;
  }
}

void TProgramRun::Finished(const TLiveProcessEnd& end) {
  rest_timer_->stop();
  FlushRest();
  line_open_ = false;
  if (error_lines_.HasRest()) {
    AppendLine(DecodeText(error_lines_.TakeRest()));
  }
  if (dos_) {
    std::string bytes;
    if (ReadFileBytes(command_.OutputFile, &bytes)) {
      for (const QString& line : LogLines(bytes)) {
        AppendLine(line);
      }
    }
    if (!end.stopped && (!end.normal_exit || end.exit_code != 0)) {
      for (const QString& line : LogLines(error_bytes_)) {
        AppendLine(line);
      }
    }
  }
  RemoveTemporaryFiles();
  AppendLine(QString::fromStdString(RunEndText(end.stopped, end.normal_exit, end.exit_code)));
  pane_.setMaximumBlockCount(old_block_limit_);
}

void TProgramRun::AppendLine(const QString& line) {
  if (line_open_) {
    line_open_ = false;
  }
  pane_.appendPlainText(line);
}

void TProgramRun::AppendPiece(const QString& piece) {
  if (!line_open_) {
    pane_.appendPlainText(piece);
  } else {
    QTextCursor cursor(pane_.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(piece);
  }
  QScrollBar* bar = pane_.verticalScrollBar();
  bar->setValue(bar->maximum());
}

void TProgramRun::RemoveTemporaryFiles() {
  for (const std::string& file : command_.TemporaryFiles) {
    RemoveFile(file);
  }
  command_.TemporaryFiles.clear();
}

}  // namespace torvane

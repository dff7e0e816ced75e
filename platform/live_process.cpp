// QProcess with separate output channels, its own process group and the
// parent-death signal set between fork and exec.
#include "platform/live_process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace torvane {
namespace {

QString FromBytes(const std::string& s) {
  return QFile::decodeName(QByteArray::fromStdString(s));
}

}  // namespace

TLiveProcess::TLiveProcess() = default;

TLiveProcess::~TLiveProcess() {
  OnOutput = nullptr;
  OnErrorOutput = nullptr;
  OnFinished = nullptr;
  if (Running()) {
    Stop();
    WaitForEnd();
  }
}

bool TLiveProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& working_directory,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         std::string* error) {
  if (Running()) {
    *error = "already running";
    return false;
  }
  if (process_) {
    // A new run may start from the old one's OnFinished, inside the old
    // QProcess's signal: it goes once that has returned.
    QProcess* old = process_.release();
    QObject::disconnect(old, nullptr, nullptr, nullptr);
    old->deleteLater();
  }
  process_ = std::make_unique<QProcess>();
  stopped_ = false;
  QStringList args;
  for (const std::string& a : arguments) {
    args << FromBytes(a);
  }
  process_->setProgram(FromBytes(program));
  process_->setArguments(args);
  if (!working_directory.empty()) {
    process_->setWorkingDirectory(FromBytes(working_directory));
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const auto& [name, value] : environment) {
    env.insert(FromBytes(name), FromBytes(value));
  }
  process_->setProcessEnvironment(env);
  process_->setStandardInputFile(QProcess::nullDevice());
  const pid_t parent = ::getpid();
  // Runs in the child between fork and exec: only async-signal-safe calls.
  process_->setChildProcessModifier([parent] {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
      ::_exit(127);  // the editor ended before the signal was armed
    }
  });
  QProcess* p = process_.get();
  QObject::connect(p, &QProcess::readyReadStandardOutput, p, [this, p] {
    const QByteArray bytes = p->readAllStandardOutput();
    if (OnOutput && !bytes.isEmpty()) {
      OnOutput(bytes.toStdString());
    }
  });
  QObject::connect(p, &QProcess::readyReadStandardError, p, [this, p] {
    const QByteArray bytes = p->readAllStandardError();
    if (OnErrorOutput && !bytes.isEmpty()) {
      OnErrorOutput(bytes.toStdString());
    }
  });
  QObject::connect(p, &QProcess::finished, p, [this] { Finished(); });
  p->start(QIODevice::ReadOnly);
  if (!p->waitForStarted(-1)) {
    *error = p->errorString().toStdString();
    process_.reset();
    return false;
  }
  finished_reported_ = false;
  return true;
}

bool TLiveProcess::Running() const {
  return process_ != nullptr && !finished_reported_;
}

long long TLiveProcess::ProcessId() const {
  return process_ ? process_->processId() : 0;
}

void TLiveProcess::Stop() {
  if (!Running()) {
    return;
  }
  stopped_ = true;
  if (process_->state() != QProcess::NotRunning) {
    const qint64 pid = process_->processId();
    if (pid > 0) {
      ::kill(-static_cast<pid_t>(pid), SIGKILL);
    }
    process_->kill();
  }
}

void TLiveProcess::WaitForEnd() {
  if (!Running()) {
    return;
  }
  process_->waitForFinished(-1);
  Finished();  // once: does nothing when the signal already reported it
}

void TLiveProcess::Finished() {
  if (finished_reported_ || !process_) {
    return;
  }
  finished_reported_ = true;
  // What is still in the pipes belongs to the run.
  const QByteArray out = process_->readAllStandardOutput();
  if (OnOutput && !out.isEmpty()) {
    OnOutput(out.toStdString());
  }
  const QByteArray err = process_->readAllStandardError();
  if (OnErrorOutput && !err.isEmpty()) {
    OnErrorOutput(err.toStdString());
  }
  TLiveProcessEnd end;
  end.stopped = stopped_;
  end.normal_exit = !stopped_ && process_->exitStatus() == QProcess::NormalExit;
  end.exit_code = end.normal_exit ? process_->exitCode() : -1;
  if (OnFinished) {
    OnFinished(end);
  }
}

}  // namespace torvane

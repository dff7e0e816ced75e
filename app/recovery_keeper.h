// Keeps a recovery record of the main window's unsaved text in the user's
// state folder and offers records left by a program that died: at start-up
// and when their file is opened. A record is brought up to date a second
// after a change (a timer, never in a key) and written on a worker thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <set>
#include <string>

#include "platform/file_access.h"
#include "recovery/record_store.h"
#include "recovery/record_writer.h"
#include "recovery/text_chunks.h"

namespace torvane {

class TFAsmEd;
class TSrcEditor;
class TRecoveryKeeper;

// The keeper of a main window (its child object).
TRecoveryKeeper* RecoveryKeeperOf(QObject& window);

class TRecoveryKeeper : public QObject {
  Q_OBJECT

 public:
  // Becomes a child of the window.
  explicit TRecoveryKeeper(TFAsmEd& window);
  // The record stays (the window went without a normal exit); the lock goes.
  ~TRecoveryKeeper() override;

  // The window's hooks.
  void DocumentSaved();      // the record goes; the lock names the file now
  void DocumentDiscarded();  // New: the text went without a save
  // After a file was read into the editor: another program editing it is
  // named, and records of it left by a program that died are offered.
  void FileOpened(const std::string& file_name);
  // A normal exit: the record and the lock go.
  void Exiting();
  // At start-up: every record left behind is offered, newest first, until
  // one is recovered (only while the editor holds no changes).
  void OfferAtStart();

  // One step of bringing the record up to date, as the timer runs it: true
  // when it is done (the record handed to the writer, or nothing to keep),
  // false when another step is due. At most about kStepBudgetMs of work.
  bool UpdateStep();
  // Every step now, then waits until the record is on disk (tests).
  void UpdateNow();
  // Waits until the writer has done every job given so far.
  void WaitForWriter() { writer_.Flush(); }
  const std::string& RecordPath() const { return record_path_; }
  // Whether records can be written (false once the folder failed).
  bool Working() const { return !told_failure_; }

  // The delay between a change and the record's update.
  static constexpr int kDelayMs = 1000;
  // GUI time one timer step may spend on the record.
  static constexpr int kStepBudgetMs = 8;

 private:
  void TextChanged();
  // Asks about one record; true when it was recovered.
  bool Offer(const TFoundRecord& found);
  // False (the record kept) when its existing file could not be read.
  bool Recover(const TFoundRecord& found);
  void WriteLock();
  void ReportFailure(const QString& reason);

  TFAsmEd& window_;
  // The window's editor; gone first when the window deletes its children.
  QPointer<TSrcEditor> editor_;
  std::string folder_;
  bool folder_ok_ = false;
  QString folder_reason_;  // why the folder could not be made
  std::string record_path_;
  std::string lock_path_;
  TTextChunks chunks_;
  TRecordWriter writer_;
  QTimer timer_;
  // The file as the editor last read or wrote it (kept in the record, so a
  // later start can say the file changed since).
  TFileStamp base_stamp_;
  bool record_written_ = false;  // a record of ours may be on disk
  bool told_failure_ = false;
  bool offering_ = false;          // while a record is recovered: no questions
  std::set<std::string> offered_;  // records asked about in this run
};

}  // namespace torvane

// Test helper: subscribes to all nine notifications of a line store and logs
// them, with the line count each one saw, as readable text.
#pragma once

#include <string>
#include <vector>

#include "document/string_list.h"

namespace torvane::testing {

class StoreRecorder {
 public:
  explicit StoreRecorder(TSrcEditStringList& store) {
    store.OnBatchBegin = [this](TSrcEditStringList& s) { Log("BatchBegin", s); };
    store.OnBatchEnd = [this](TSrcEditStringList& s) { Log("BatchEnd", s); };
    store.OnLinesCleared = [this](TSrcEditStringList& s) { Log("Cleared", s); };
    store.OnBeforeDelete = Lines("BeforeDelete");
    store.OnLinesDeleted = Lines("Deleted");
    store.OnBeforeInsert = Lines("BeforeInsert");
    store.OnLinesInserted = Lines("Inserted");
    store.OnBeforeReplace = Lines("BeforeReplace");
    store.OnLineReplaced = Lines("Replaced");
  }

  // Each entry: "<name>[ index count] n=<line count seen>".
  std::vector<std::string> events;
  void Clear() { events.clear(); }

 private:
  void Log(const std::string& name, TSrcEditStringList& s) {
    events.push_back(name + " n=" + std::to_string(s.LineCount()));
  }
  TSrcStringListLinesNotify Lines(const std::string& name) {
    return [this, name](TSrcEditStringList& s, int index, int count) {
      events.push_back(name + " " + std::to_string(index) + " " + std::to_string(count) +
                       " n=" + std::to_string(s.LineCount()));
    };
  }
};

}  // namespace torvane::testing

// Handler chains: order, stopping at 0, removal and re-entrancy.
#include "editor/kbd_handler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace torvane {
namespace {

struct TRecorder {
  std::string name;
  std::vector<std::string>* log;
  std::uint16_t zero_key_at = 0xFFFF;
  TSrcEditKbdHandler* nested = nullptr;
  bool fail = false;

  void KeyDown(TCustomSrcEdit*, std::uint16_t& key, TShiftState) {
    log->push_back(name);
    if (fail) {
      throw std::runtime_error("handler failed");
    }
    if (nested != nullptr) {
      std::uint16_t k = key;
      nested->RunKeyDown(nullptr, k, 0);  // must not recurse
    }
    if (key == zero_key_at) {
      key = 0;
    }
  }
  void KeyPress(TCustomSrcEdit*, char& ch) {
    log->push_back(name + ch);
    if (ch == 'x') {
      ch = 0;
    }
  }
  void MouseDown(TCustomSrcEdit*, TMouseButton, TShiftState, int x, int) {
    log->push_back(name + std::to_string(x));
  }
};

TEST(KbdHandlerTest, ChainsRunLastAddedFirstAndKeyChainsStopAtZero) {
  std::vector<std::string> log;
  TRecorder a{"a", &log};
  TRecorder b{"b", &log, 65};
  TRecorder c{"c", &log};
  TSrcEditKbdHandler h;
  h.AddKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&a));
  h.AddKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&b));
  h.AddKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&c));
  std::uint16_t key = 66;
  h.RunKeyDown(nullptr, key, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "a"}));
  log.clear();
  key = 65;  // b zeroes it: a is not called
  h.RunKeyDown(nullptr, key, 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b"}));

  // Removal takes the last equal pair; a handler added twice stays once.
  log.clear();
  h.AddKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&a));
  h.RemoveKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&a));
  h.RemoveKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&b));
  key = 66;
  h.RunKeyDown(nullptr, key, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "a"}));

  log.clear();
  h.AddKeyPressHandler(MakeMethod<&TRecorder::KeyPress>(&a));
  h.AddKeyPressHandler(MakeMethod<&TRecorder::KeyPress>(&b));
  char ch = 'x';
  h.RunKeyPress(nullptr, ch);
  EXPECT_EQ(ch, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"bx"}));

  // Mouse chains call everyone.
  log.clear();
  h.AddMouseDownHandler(MakeMethod<&TRecorder::MouseDown>(&a));
  h.AddMouseDownHandler(MakeMethod<&TRecorder::MouseDown>(&b));
  h.RunMouseDown(nullptr, mbLeft, ssLeft, 7, 9);
  EXPECT_EQ(log, (std::vector<std::string>{"b7", "a7"}));
}

TEST(KbdHandlerTest, ARunningChainIsNotEnteredAgainAndAFailureClearsTheFlag) {
  std::vector<std::string> log;
  TSrcEditKbdHandler h;
  TRecorder a{"a", &log};
  a.nested = &h;
  h.AddKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&a));
  std::uint16_t key = 66;
  h.RunKeyDown(nullptr, key, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"a"}));

  TRecorder failing{"f", &log};
  failing.fail = true;
  h.AddKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&failing));
  log.clear();
  EXPECT_THROW(h.RunKeyDown(nullptr, key, 0), std::runtime_error);
  h.RemoveKeyDownHandler(MakeMethod<&TRecorder::KeyDown>(&failing));
  h.RunKeyDown(nullptr, key, 0);  // the chain runs again after the failure
  EXPECT_EQ(log, (std::vector<std::string>{"f", "a"}));
}

}  // namespace
}  // namespace torvane

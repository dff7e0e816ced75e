// Assembling test programs with the installed NASM the way the main window
// does (-fbin, a listing and a binary beside the source), and a second,
// independent reading of the listing for the map to be held against.
#pragma once

#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process_runner.h"

namespace torvane::testing {

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

struct TAssembled {
  bool ok = false;
  std::string directory;  // with a trailing '/'
  std::string source;     // the main file's path
  std::string listing;
  std::string binary;
  std::string log;
};

// Writes `files` (name -> bytes) into `dir` and assembles `main` there.
inline TAssembled Assemble(const QTemporaryDir& dir,
                           const std::map<std::string, std::string>& files,
                           const std::string& main) {
  TAssembled out;
  out.directory = dir.path().toStdString() + "/";
  for (const auto& [name, bytes] : files) {
    WriteAll(out.directory + name, bytes);
  }
  const std::string base = main.substr(0, main.rfind('.'));
  const TProcessOutcome outcome = RunProcess(
      "nasm", {"-fbin", main, "-l" + base + ".lst", "-o" + base + ".bin", "-Z" + base + ".log"},
      out.directory);
  out.source = out.directory + main;
  out.listing = ReadAll(out.directory + base + ".lst");
  out.binary = ReadAll(out.directory + base + ".bin");
  out.log = ReadAll(out.directory + base + ".log");
  out.ok = outcome.started && outcome.exit_code == 0;
  return out;
}

// The second reading: bytes per line of the assembled file itself, by
// regular expressions over the listing. A line at level 0 owns every byte
// listed after it up to the next line at level 0, unless it is an
// %include (those are the included file's) or an %endrep (then each
// repeated line at level 1 owns what follows it).
inline std::map<int, unsigned long long> MainFileLineSizes(const std::string& listing) {
  std::map<int, unsigned long long> sizes;
  int owner = 0;  // 0: bytes go nowhere (an include's)
  bool repeat = false;
  unsigned long long record = 0;
  for (const std::string& line : SplitLines(listing)) {
    if (line.size() < 35 || line[6] != ' ' || line.find_first_not_of(' ') > 5 ||
        line.substr(16, 18) == std::string(18, '*')) {
      continue;
    }
    int level = 0;
    const std::size_t lt = line.find('<', 35);
    if (lt != std::string::npos && lt < 39 &&
        std::isdigit(static_cast<unsigned char>(line[lt + 1]))) {
      level = std::stoi(line.substr(lt + 1));
    }
    const bool has_text = line.size() >= 40;
    if (has_text) {
      record = 0;
      const std::string text = line.substr(40);
      const std::string word = text.substr(text.find_first_not_of(" \t") == std::string::npos
                                               ? text.size()
                                               : text.find_first_not_of(" \t"));
      if (level == 0) {
        owner = word.starts_with("%include") ? 0 : std::stoi(line.substr(0, 6));
        repeat = word.starts_with("%endrep");
      } else if (level == 1 && repeat) {
        owner = std::stoi(line.substr(0, 6));
      }
    }
    if (line.substr(7, 8) == "        " || owner == 0) {
      continue;
    }
    std::string field = line.substr(16, 19);
    field = field.substr(0, field.find_last_not_of(' ') + 1);
    if (!field.empty() && field.back() == '-') {
      field.pop_back();
    }
    // Brackets hold two characters a byte; "<tag Nh>" holds N bytes.
    unsigned long long size = 0;
    for (std::size_t i = 0; i < field.size();) {
      if (field[i] == '<') {
        const std::size_t blank = field.find(' ', i);
        const std::size_t close = field.find('>', i);
        const unsigned long long n =
            std::stoull(field.substr(blank + 1, close - blank - 2), nullptr, 16);
        if (field.compare(i + 1, 3, "rep") == 0) {
          // All the record listed so far is one of N repetitions.
          sizes[owner] += (record + size) * (n - 1);
        } else {
          size += n;
        }
        i = close + 1;
      } else if (field[i] == '[' || field[i] == '(' || field[i] == ']' || field[i] == ')') {
        ++i;
      } else {
        size += 1;
        i += 2;
      }
    }
    record += size;
    sizes[owner] += size;
  }
  return sizes;
}

}  // namespace torvane::testing

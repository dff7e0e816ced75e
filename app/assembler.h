// Assembling a saved source file with NASM: the path split, the argument list,
// the run in the source's directory and the log that comes back.
#pragma once

#include <QStringList>
#include <string>
#include <vector>

namespace torvane {

// Splits at the last '/': directory (the '/' included) and file name. Without
// a '/' returns false and leaves both outputs as they were.
bool SplitDirectory(const std::string& path, std::string& directory, std::string& file_name);
// Splits at the last '.': base name (dot excluded) and extension. Without a
// dot returns false and leaves both outputs as they were.
bool SplitExtension(const std::string& name, std::string& base_name, std::string& extension);

// One run of the assembler, worked out from the source path.
struct TAssemblerRun {
  std::string program;                 // the assembler path as configured
  std::vector<std::string> arguments;  // -fbin, the file, -l, -o, -Z
  std::string working_directory;       // the source's directory
  std::string log_path;
  std::string binary_path;
};

// Empty directory, file and base names stay empty, as the split leaves them
// (a source without extension is listed as -l.lst and so on). A file name
// starting with '-' or '@' is passed as ./name, so NASM reads it as a file and
// not as an option or a response file.
TAssemblerRun PlanAssemblerRun(const std::string& assembler_path, const std::string& source_path);

// The log's text, decoded through the code page and split at CR, LF or CR LF;
// a final line break ends the last line and starts no new one.
QStringList LogLines(const std::string& log_bytes);

// Runs the assembler on a saved file, waits for it, and returns what the
// output pane shows: the log's lines, or for an empty log the two completion
// lines. The log is deleted afterwards. A log that cannot be read (also when
// the assembler could not be started) raises ESrcError
// "Cannot open file "%s". %s" and leaves the log alone.
QStringList AssembleFile(const std::string& assembler_path, const std::string& source_path);

}  // namespace torvane

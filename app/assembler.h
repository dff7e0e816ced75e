// Assembling a saved source file with NASM: the path split, the argument list,
// the run in the source's directory and the log that comes back.
#pragma once

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

namespace torvane {

class TChildProcess;

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
  std::string listing_path;
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

// The listing, binary or log path of the run when it names the source file
// itself (also through a link), which the assembler would overwrite and the
// log's removal delete; empty when none does.
std::string ProductThatIsTheSource(const TAssemblerRun& run, const std::string& source_path);

// What the pane shows after a cancelled run.
QString CancelledRunText();

// Runs the assembler on a saved file, waits for it without a time limit, and
// returns what the output pane shows: the log's lines, or for an empty log
// the two completion lines; the log is deleted afterwards. Only a log this run
// wrote is read or deleted: when the assembler could not be started, or left
// no new log, ESrcError "Cannot open file "%s". %s" is raised and an older
// log stays as it was. When a product would be the source itself ESrcError
// with a refusal in Chinese is raised and nothing runs.
//
// With while_running the caller's events are handled during the wait:
// while_running is called once the program runs, and may call Cancel on it
// (from a button or key); a cancelled run gives CancelledRunText and removes
// the log it may have begun. Without it the wait blocks.
QStringList AssembleFile(const std::string& assembler_path, const std::string& source_path,
                         const std::function<void(TChildProcess&)>& while_running = {});

}  // namespace torvane

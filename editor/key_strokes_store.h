// Stores an editor's key table as two difference lists against a reference
// table ("AddedKeystrokes", "RemovedKeystrokes") and reads them back.
#pragma once

#include "editor/key_strokes.h"

namespace torvane {

class TIniFile;

struct TSrcKeystrokeChanges {
  TSrcEditKeyStrokes Added;    // entries of the table the reference lacks
  TSrcEditKeyStrokes Removed;  // entries of the reference the table lacks
};

// An entry counts as present when the other table's first entry with its
// shortcut pair is bound to the same command.
TSrcKeystrokeChanges KeystrokeChanges(const TSrcEditKeyStrokes& keys,
                                      const TSrcEditKeyStrokes& reference);

// Appends every added entry, then deletes for every removed entry the first
// entry with its shortcut pair if it is bound to the same command.
void ApplyKeystrokeChanges(TSrcEditKeyStrokes& keys, const TSrcKeystrokeChanges& changes);

// The ini form: each list is a section whose values read
// "<command name>,<shortcut>,<shortcut2>" with the packed shortcuts in decimal
// ("Item0=ecRedo,16474,0"). Saving replaces both sections. A user command
// without a name is written as its number.
void SaveKeystrokes(TIniFile& ini, const TSrcEditKeyStrokes& keys,
                    const TSrcEditKeyStrokes& reference);

// Reads both sections and applies them to keys; missing sections change
// nothing. A value that does not parse raises ESrcKeyError
// "Invalid keystroke value %s" and leaves keys as they were.
void LoadKeystrokes(const TIniFile& ini, TSrcEditKeyStrokes& keys);

}  // namespace torvane

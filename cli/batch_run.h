#pragma once
// The batch evaluation: the desktop program's workflow from loading the files
// to the results table, run once from the command line.
#include "cli/batch_options.h"
#include "core/text_grid.h"

#include <csignal>
#include <iosfwd>
#include <string>
#include <vector>

// Exit status of the command.
enum BatchExit { beOk = 0, beBadInput = 1, beEngineFailed = 2, beInterrupted = 130 };

// Runs the evaluation described by `opts`. `programPath` locates the engine,
// the desktop program's settings file and the data folders (see
// core/app_folders.h); COORDS and MEASUREMENTS named without a folder and
// absent from the current folder are looked for in the data folders.
// Progress and results go to `out`, errors and warnings to `err`.
// `interrupted`, when given, is watched while the engine runs.
int RunBatch(const BatchOptions &opts, const std::string &programPath, std::ostream &out,
             std::ostream &err, const volatile std::sig_atomic_t *interrupted = nullptr);

// The grid as lines of text with aligned columns: every cell right-aligned
// in a column as wide as its widest cell (counted in characters, UTF-8),
// columns separated by two blanks, no trailing blanks.
std::vector<std::string> FormatAlignedTable(const TextGrid &grid);

// The date shown in reports: now, local time, or the UTC time given in
// seconds by the environment variable SOURCE_DATE_EPOCH ("YYYY-MM-DD HH:MM").
std::string BatchReportDate();

// Name of the desktop program's settings file in its own-files folder.
inline constexpr const char *kDesktopSettingsName = "korvadimensio3d.ini";

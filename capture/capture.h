// The Grablet's one operation: copy the map of the last online game into
// the game's saved levels, and say how it went.
#pragma once

#include <cstddef>
#include <string>

class DiskInterface;

enum class GameChoice { Armageddon, WorldParty };

enum class CaptureOutcome { Created, SourceNotLocated, SourceInvalid, TargetNotCreated };

enum class ReportIcon { None, Information };

// What the user is shown: a message box with this title, prompt and icon,
// and a single OK button.
struct CaptureReport {
  CaptureOutcome outcome;
  std::string title;
  std::string prompt;
  ReportIcon icon;
};

// current.thm starts with four bytes that are not part of the level.
constexpr std::size_t SourcePrefixLength = 4;
// Anything shorter is a broken current.thm, not a map.
constexpr std::size_t MinSourceLength = 50;

// Copies <installDir>/Data/current.thm (data/ for World Party), minus its
// first four bytes, to <installDir>/User/SavedLevels/<levelName>.bit.
// All strings are UTF-8. Never throws: every failure becomes a report.
CaptureReport CaptureLastMap(const std::string& installDir, GameChoice game,
                             const std::string& levelName);
CaptureReport CaptureLastMap(DiskInterface& disk, const std::string& installDir,
                             GameChoice game, const std::string& levelName);

// The report for an outcome; levelName is used as typed.
CaptureReport ReportFor(CaptureOutcome outcome, const std::string& levelName);

// The folder that holds the running program, with "/" as separator and no
// trailing separator unless it is a root. Asked anew on every call.
std::string InstallDir();

// The folder part of an executable's path, as InstallDir() gives it. Where
// backslashes are separators (Windows) they are first turned into "/".
std::string InstallDirFromExePath(std::string exePath, bool backslashIsSeparator);

#include "capture/capture.h"

namespace {

// The game's folder: the level name alone would not tell players where to look.
const char kWhereToPlaceIt[] =
    " You must place the Grablet in the Worms Armageddon or Worms World Party main directory!";

}  // namespace

CaptureReport ReportFor(CaptureOutcome outcome, const std::string& levelName) {
  switch (outcome) {
    case CaptureOutcome::Created:
      return {outcome, "Theivery Successful", "Created " + levelName + ".bit.", ReportIcon::None};
    case CaptureOutcome::SourceInvalid:
      return {outcome, "Problem with current.thm",
              "current.thm is invalid! It sometimes gets this way due to the way Worms works. "
              "Sorry, the map data cannot be stolen.",
              ReportIcon::None};
    case CaptureOutcome::SourceNotLocated:
      return {outcome, "Error", std::string("Could not locate current.thm!") + kWhereToPlaceIt,
              ReportIcon::Information};
    case CaptureOutcome::TargetNotCreated:
      break;
  }
  return {CaptureOutcome::TargetNotCreated, "Error",
          "Could not create " + levelName + ".bit!" + kWhereToPlaceIt, ReportIcon::Information};
}

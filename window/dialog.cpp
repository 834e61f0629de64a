#include "window/dialog.h"

#include <cmath>
#include <cstring>

#include "capture/disk_interface.h"

namespace {

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kLightGrey{224, 224, 224};
constexpr Colour kButtonGrey{192, 192, 192};

// Creation order is tab order, so front ends can walk the table as it stands.
constexpr ControlSpec kControls[] = {
    {"Label1", -1, ControlKind::Label, 120, 480, 1815, 255, "Select A Game:", TextAlign::Left,
     true, {}, {}, false, 0},
    {"Option1", 0, ControlKind::RadioButton, 360, 840, 2295, 195, "Worms Armageddon",
     TextAlign::Left, false, {}, {}, true, 1},
    {"Option1", 1, ControlKind::RadioButton, 360, 1080, 2295, 195, "Worms World Party",
     TextAlign::Left, false, {}, {}, false, 2},
    {"Text1", -1, ControlKind::TextField, 3240, 915, 2055, 285, "Stolen_Map", TextAlign::Left,
     false, kBlack, kLightGrey, false, 3},
    {"Label2", -1, ControlKind::Label, 5295, 975, 615, 255, ".bit", TextAlign::Left, true, {}, {},
     false, 4},
    {"Label3", -1, ControlKind::Label, 3000, 480, 1695, 255, "Enter A Name:", TextAlign::Left,
     true, {}, {}, false, 5},
    {"Command1", -1, ControlKind::PushButton, 2180, 1440, 1215, 255, "Steal It!",
     TextAlign::Centre, false, kButtonGrey, {}, false, 6},
    {"Label4", -1, ControlKind::Label, 120, 120, 5535, 255,
     "Steal the last map you played on online for your own use!", TextAlign::Centre, true, {}, {},
     false, 7},
};

constexpr DialogSpec kMain{"main",   "Ostrel's Map Grablet v1.0.1", 5820, 1860, "Verdana", 8.25,
                           400,      kControls};

}  // namespace

const DialogSpec& MainDialog() { return kMain; }

const ControlSpec* FindControl(const char* name, int index) {
  for (const ControlSpec& control : kControls)
    if (std::strcmp(control.name, name) == 0 && control.index == index) return &control;
  return nullptr;
}

int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

PixelRect ToPixels(const ControlSpec& control, int dpi) {
  const int left = TwipsToPixels(control.left, dpi);
  const int top = TwipsToPixels(control.top, dpi);
  return {left, top, TwipsToPixels(control.left + control.width, dpi) - left,
          TwipsToPixels(control.top + control.height, dpi) - top};
}

int FontPixels(const DialogSpec& dialog, int dpi) {
  return static_cast<int>(std::lround(dialog.fontPoints * dpi / 72.0));
}

MainState DefaultState() {
  return {FindControl("Option1", 0)->selected, FindControl("Text1")->text};
}

GameChoice GameOf(const MainState& state) {
  return state.option1Index0Selected ? GameChoice::Armageddon : GameChoice::WorldParty;
}

CaptureReport Click(const MainState& state, DiskInterface& disk, const std::string& installDir) {
  return CaptureLastMap(disk, installDir, GameOf(state), state.text1);
}

CaptureReport Click(const MainState& state) { return Click(state, RealDisk(), InstallDir()); }

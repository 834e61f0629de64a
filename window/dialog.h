// The main window as data, drawn alike by every front end, and the one
// thing it does: turn the controls into a capture when "Steal It!" is clicked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "capture/capture.h"

class DiskInterface;

enum class ControlKind { Label, RadioButton, TextField, PushButton };
enum class TextAlign { Left, Centre };

struct Colour {
  std::uint8_t red, green, blue;
  friend bool operator==(const Colour&, const Colour&) = default;
};

// One control; places and sizes in twips (1/1440 inch) inside the client area.
struct ControlSpec {
  const char* name;
  int index;  // place in a control array, -1 for a lone control
  ControlKind kind;
  int left, top, width, height;
  const char* text;       // UTF-8, at start
  TextAlign align;
  bool transparent;       // background shows the window's
  std::optional<Colour> background;
  std::optional<Colour> foreground;
  bool selected;          // radio buttons: chosen at start
  int tabIndex;
};

struct DialogSpec {
  const char* name;
  const char* title;
  int clientWidth, clientHeight;  // twips
  const char* fontName;
  double fontPoints;
  int fontWeight;
  std::span<const ControlSpec> controls;  // in creation order: by tab index
};

const DialogSpec& MainDialog();
// The control with that name and index, or nullptr.
const ControlSpec* FindControl(const char* name, int index = -1);

// Twips to pixels at `dpi` dots per inch (15 twips a pixel at 96 DPI).
int TwipsToPixels(int twips, int dpi);

struct PixelRect {
  int left, top, width, height;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
// Edges are rounded, not sizes, so neighbouring controls never overlap or gap.
PixelRect ToPixels(const ControlSpec& control, int dpi);

// The dialog font's character height in pixels at `dpi` (8.25 pt: 11 at 96 DPI).
int FontPixels(const DialogSpec& dialog, int dpi);

// What the user has set in the window when the button is pressed.
struct MainState {
  bool option1Index0Selected;  // "Worms Armageddon"
  std::string text1;           // level name, as typed
};

// The controls' values at start.
MainState DefaultState();
GameChoice GameOf(const MainState& state);

// Click of Command1: one capture from the controls' values; the caller
// shows the report and leaves the controls as they are.
CaptureReport Click(const MainState& state);
CaptureReport Click(const MainState& state, DiskInterface& disk, const std::string& installDir);

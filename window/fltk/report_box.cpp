#include "window/fltk/report_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/fl_draw.H>
#include <algorithm>
#include <string>

#include "window/fltk/dialog_font.h"
#include "window/fltk/info_icon.h"
#include "window/fltk/plain_label.h"
#include "window/fltk/window_icon.h"
#include "window/fltk/wrap_text.h"
#include "window/fltk/x11_frame.h"

namespace {

// Sizes at 96 DPI, scaled to the box's DPI.
constexpr int kMargin = 12;
constexpr int kGap = 12;
constexpr int kMaxTextWidth = 360;
constexpr int kButtonWidth = 75;   // the usual OK button of 96-DPI dialogs
constexpr int kButtonHeight = 23;
// The frame draws the caption in a larger, bold face beside its icon and buttons.
constexpr double kCaptionScale = 1.25;
constexpr int kCaptionAllowance = 100;

int Scaled(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

void CloseBox(Fl_Widget* button, void*) { button->window()->hide(); }

}  // namespace

void ShowReport(const CaptureReport& report, const Fl_Window& owner, int dpi) {
  const bool withIcon = report.icon == ReportIcon::Information;
  const int margin = Scaled(kMargin, dpi), gap = Scaled(kGap, dpi);
  const int buttonW = Scaled(kButtonWidth, dpi), buttonH = Scaled(kButtonHeight, dpi);
  const int iconSize = Scaled(InfoIcon::BaseSize, dpi);
  const Fl_Fontsize fontSize = DialogFontSize(dpi);
  fl_font(DialogFont(), fontSize);
  int screenX, screenY, screenW, screenH;
  Fl::screen_work_area(screenX, screenY, screenW, screenH, owner.x() + owner.w() / 2,
                       owner.y() + owner.h() / 2);

  const std::string text = JoinLines(WrapText(
      report.prompt, Scaled(kMaxTextWidth, dpi), [](std::string_view piece) {
        return fl_width(piece.data(), static_cast<int>(piece.size()));
      }));
  int textW = 0, textH = 0;
  fl_measure(text.c_str(), textW, textH, 0);

  const int textX = margin + (withIcon ? iconSize + gap : 0);
  const int contentH = std::max(textH, withIcon ? iconSize : 0);
  const int captionW = static_cast<int>(fl_width(report.title.c_str()) * kCaptionScale) +
                       Scaled(kCaptionAllowance, dpi);
  const int boxW =
      std::min(screenW, std::max({textX + textW + margin, buttonW + 2 * margin, captionW}));
  const int boxH = std::min(screenH, margin + contentH + gap + buttonH + margin);

  Fl_Double_Window box(boxW, boxH);
  box.copy_label(report.title.c_str());
  if (withIcon) new InfoIcon(margin, margin, iconSize);
  // The text stands level with the sign, or centred on it when shorter.
  auto* prompt = new TextLabel(textX, margin + (contentH - textH) / 2, textW, textH);
  prompt->labelfont(DialogFont());
  prompt->labelsize(fontSize);
  prompt->copy_label(text.c_str());
  auto* ok = new Fl_Button((boxW - buttonW) / 2, boxH - margin - buttonH, buttonW, buttonH, "OK");
  ok->labeltype(PlainLabel);
  ok->labelfont(DialogFont());
  ok->labelsize(fontSize);
  ok->shortcut(FL_Enter);
  ok->callback(CloseBox);
  box.end();

  box.set_modal();
  // Over the middle of the main window, but never off the screen.
  box.position(std::clamp(owner.x() + (owner.w() - boxW) / 2, screenX, screenX + screenW - boxW),
               std::clamp(owner.y() + (owner.h() - boxH) / 2, screenY, screenY + screenH - boxH));
  SetWindowIcon(box);
  ShowFixedDialog(box);
  ok->take_focus();
  while (box.shown()) Fl::wait();
}

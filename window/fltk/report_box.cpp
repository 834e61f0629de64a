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

constexpr int kMargin = 12;
constexpr int kGap = 12;
constexpr int kMaxTextWidth = 360;
constexpr int kButtonWidth = 75;   // the usual OK button of 96-DPI dialogs
constexpr int kButtonHeight = 23;
// The frame draws the caption in a larger, bold face beside its icon and buttons.
constexpr double kCaptionScale = 1.25;
constexpr int kCaptionAllowance = 100;

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

void ShowReport(const CaptureReport& report, const Fl_Window& owner) {
  const bool withIcon = report.icon == ReportIcon::Information;
  fl_font(DialogFont(), DialogFontSize());
  int screenX, screenY, screenW, screenH;
  Fl::screen_work_area(screenX, screenY, screenW, screenH, owner.x() + owner.w() / 2,
                       owner.y() + owner.h() / 2);

  const std::string text = JoinLines(WrapText(
      report.prompt, kMaxTextWidth, [](std::string_view piece) {
        return fl_width(piece.data(), static_cast<int>(piece.size()));
      }));
  int textW = 0, textH = 0;
  fl_measure(text.c_str(), textW, textH, 0);

  const int textX = kMargin + (withIcon ? InfoIcon::Size + kGap : 0);
  const int contentH = std::max(textH, withIcon ? InfoIcon::Size : 0);
  const int captionW =
      static_cast<int>(fl_width(report.title.c_str()) * kCaptionScale) + kCaptionAllowance;
  const int boxW = std::min(screenW, std::max({textX + textW + kMargin,
                                               kButtonWidth + 2 * kMargin, captionW}));
  const int boxH = std::min(screenH, kMargin + contentH + kGap + kButtonHeight + kMargin);

  Fl_Double_Window box(boxW, boxH);
  box.copy_label(report.title.c_str());
  if (withIcon) new InfoIcon(kMargin, kMargin);
  // The text stands level with the sign, or centred on it when shorter.
  auto* prompt = new TextLabel(textX, kMargin + (contentH - textH) / 2, textW, textH);
  prompt->labelfont(DialogFont());
  prompt->labelsize(DialogFontSize());
  prompt->copy_label(text.c_str());
  auto* ok = new Fl_Button((boxW - kButtonWidth) / 2, boxH - kMargin - kButtonHeight,
                           kButtonWidth, kButtonHeight, "OK");
  ok->labeltype(PlainLabel);
  ok->labelfont(DialogFont());
  ok->labelsize(DialogFontSize());
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

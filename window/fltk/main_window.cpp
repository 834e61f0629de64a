#include "window/fltk/main_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <algorithm>
#include <cstring>

#include "window/fltk/dialog_font.h"
#include "window/fltk/plain_label.h"
#include "window/fltk/report_box.h"
#include "window/fltk/window_icon.h"
#include "window/fltk/x11_frame.h"

namespace {

Fl_Color ToFl(const Colour& colour) { return fl_rgb_color(colour.red, colour.green, colour.blue); }

Fl_Align AlignOf(const ControlSpec& control) {
  // Like a Windows label: text from the top, clipped to the label's place.
  return (control.align == TextAlign::Centre ? FL_ALIGN_TOP : FL_ALIGN_TOP_LEFT) |
         FL_ALIGN_INSIDE | FL_ALIGN_CLIP;
}

// The rectangle that holds every radio button of the array `name`, so that they
// share one group and only one of them is ever chosen.
PixelRect RadioGroupRect(const char* name, int dpi) {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool first = true;
  for (const ControlSpec& control : MainDialog().controls) {
    if (control.kind != ControlKind::RadioButton || std::strcmp(control.name, name) != 0) continue;
    const PixelRect r = ToPixels(control, dpi);
    left = first ? r.left : std::min(left, r.left);
    top = first ? r.top : std::min(top, r.top);
    right = first ? r.left + r.width : std::max(right, r.left + r.width);
    bottom = first ? r.top + r.height : std::max(bottom, r.top + r.height);
    first = false;
  }
  return {left, top, right - left, bottom - top};
}

}  // namespace

MainWindow::MainWindow(int dpi)
    : dpi_(dpi),
      window_(TwipsToPixels(MainDialog().clientWidth, dpi),
              TwipsToPixels(MainDialog().clientHeight, dpi), MainDialog().title) {
  RegisterPlainLabel();
  Fl_Group* radioGroup = nullptr;
  const char* radioName = nullptr;
  // Created in tab order, which is the order FLTK moves the focus in.
  for (const ControlSpec& control : MainDialog().controls) {
    const bool radio = control.kind == ControlKind::RadioButton;
    if (radioGroup != nullptr && !(radio && std::strcmp(control.name, radioName) == 0)) {
      radioGroup->end();
      radioGroup = nullptr;
    }
    if (radio && radioGroup == nullptr) {
      const PixelRect r = RadioGroupRect(control.name, dpi);
      radioGroup = new Fl_Group(r.left, r.top, r.width, r.height);
      radioGroup->box(FL_NO_BOX);
      radioName = control.name;
    }
    controls_.push_back({&control, Build(control)});
  }
  if (radioGroup != nullptr) radioGroup->end();
  window_.end();
  window_.callback(OnClose);
}

Fl_Widget* MainWindow::Build(const ControlSpec& control) {
  const PixelRect r = ToPixels(control, dpi_);
  Fl_Widget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::Label: {
      auto* label = new TextLabel(r.left, r.top, r.width, r.height);
      label->box(control.transparent ? FL_NO_BOX : FL_FLAT_BOX);
      label->align(AlignOf(control));
      widget = label;
      break;
    }
    case ControlKind::RadioButton: {
      auto* option = new Fl_Round_Button(r.left, r.top, r.width, r.height);
      option->type(FL_RADIO_BUTTON);
      option->value(control.selected ? 1 : 0);
      option->box(control.transparent ? FL_NO_BOX : FL_FLAT_BOX);
      widget = option;
      break;
    }
    case ControlKind::TextField: {
      auto* field = new Fl_Input(r.left, r.top, r.width, r.height);
      field->box(FL_DOWN_BOX);
      field->textfont(DialogFont());
      field->textsize(DialogFontSize(dpi_));
      field->value(control.text);
      if (control.foreground) {
        field->textcolor(ToFl(*control.foreground));
        // The caret is drawn in black by default: lost on a black field.
        field->cursor_color(ToFl(*control.foreground));
      }
      widget = field;
      break;
    }
    case ControlKind::PushButton: {
      auto* button = new Fl_Button(r.left, r.top, r.width, r.height);
      button->box(FL_UP_BOX);
      button->down_box(FL_DOWN_BOX);
      button->callback(OnCommand1Click, this);
      widget = button;
      break;
    }
  }
  if (control.kind != ControlKind::TextField) {
    widget->copy_label(control.text);
    widget->labeltype(PlainLabel);
    widget->labelfont(DialogFont());
    widget->labelsize(DialogFontSize(dpi_));
    if (control.foreground) widget->labelcolor(ToFl(*control.foreground));
  }
  if (control.background) widget->color(ToFl(*control.background));
  return widget;
}

Fl_Widget* MainWindow::Widget(const char* name, int index) const {
  const ControlSpec* layout = FindControl(name, index);
  for (const Built& built : controls_)
    if (built.layout == layout) return built.widget;
  return nullptr;
}

MainState MainWindow::State() const {
  return {static_cast<const Fl_Round_Button*>(Widget("Option1", 0))->value() != 0,
          static_cast<const Fl_Input*>(Widget("Text1"))->value()};
}

void MainWindow::Show() {
  // Here, not when built: reading the icon's colours needs the display.
  SetWindowIcon(window_);
  CentreOnScreen(window_);
  ShowFixedDialog(window_);
  // The first control in tab order that can take the focus gets it: labels can't.
  for (const Built& built : controls_)
    if (built.widget->take_focus()) break;
}

void MainWindow::OnCommand1Click(Fl_Widget*, void* self) {
  auto& main = *static_cast<MainWindow*>(self);
  ShowReport(Click(main.State()), main.window_, main.dpi_);
}

void MainWindow::OnClose(Fl_Widget* window, void*) {
  // Escape closes FLTK windows by default; a dialog of this kind ignores it.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  window->hide();
}

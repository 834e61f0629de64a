#include "window/fltk/dialog_font.h"

#include <fontconfig/fontconfig.h>

#include <FL/Fl.H>
#include <string>

#include "window/dialog.h"

namespace {

constexpr Fl_Font kDialogFont = FL_FREE_FONT;
constexpr const char* kFallbackFamily = "DejaVu Sans";

// Asks fontconfig by family name alone: Xft would otherwise quietly take
// whatever it thinks close, which may be a font of quite other widths.
bool Installed(const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  const bool found = fonts != nullptr && fonts->nfont > 0;
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

}  // namespace

Fl_Font DialogFont() {
  static const bool registered = [] {
    const char* family = MainDialog().fontName;
    // A leading space asks FLTK for the regular (not bold, not italic) face.
    static const std::string name = std::string(" ") + (Installed(family) ? family : kFallbackFamily);
    Fl::set_font(kDialogFont, name.c_str());
    return true;
  }();
  (void)registered;
  return kDialogFont;
}

Fl_Fontsize DialogFontSize(int dpi) { return FontPixels(MainDialog(), dpi); }

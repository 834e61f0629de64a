#include "window/win32/owner_button.h"

#include <string>

namespace {

std::wstring TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

}  // namespace

void DrawOwnerButton(const DRAWITEMSTRUCT& item, HBRUSH face, HFONT font, int dpi) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  const bool disabled = item.itemState & ODS_DISABLED;

  FillRect(dc, &rect, face ? face : GetSysColorBrush(COLOR_BTNFACE));
  if (focused || pressed) {
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&rect, -1, -1);
  }
  if (pressed)
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
  else
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);

  RECT textRect = rect;
  if (pressed) OffsetRect(&textRect, 1, 1);
  const std::wstring text = TextOf(item.hwndItem);
  const HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);

  if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
    // Clear of the edges, which the system draws at their one size.
    RECT focus = rect;
    const int inset = MulDiv(3, dpi, 96);
    InflateRect(&focus, -inset, -inset);
    DrawFocusRect(dc, &focus);
  }
}

// The gallery's self-test: the painting of the skin and the button, checked on off-screen
// pixels, and the RainButton's behaviour, driven through the gallery's own message loop (keys are
// posted to the focused window, so they pass IsDialogMessage exactly as typed keys do).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gallery.h"

namespace pelkrin::gallery {
namespace {

using win32::PixelSurface;
using win32::RainButtonLook;
using win32::RainButtonState;

constexpr DWORD kDeadlineMs = 3000;

class Checks {
 public:
  void Expect(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures_;
  }
  int failures() const { return failures_; }

 private:
  int failures_ = 0;
};

// ---- Pixels ----

COLORREF ColourAt(const PixelSurface& s, int x, int y) {
  const std::uint32_t p = s.at(x, y);
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

int Luminance(COLORREF c) {
  return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
}

PixelSurface Canvas(int width, int height, COLORREF fill) {
  PixelSurface surface(width, height);
  if (!surface) {
    std::printf("FAIL cannot make a %dx%d surface\n", width, height);
    std::exit(1);
  }
  const RECT all{0, 0, width, height};
  ::SetBkColor(surface.dc(), fill);
  ::ExtTextOutA(surface.dc(), 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
  ::GdiFlush();
  return surface;
}

std::vector<std::uint32_t> Pixels(const PixelSurface& s) {
  ::GdiFlush();
  return {s.pixels(), s.pixels() + s.width() * s.height()};
}

// The bounding box of the pixels that differ between two images of the same size.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive; empty: right < 0
  bool empty() const { return right < 0; }
};
Box DiffBox(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int width) {
  Box box;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] == b[i]) continue;
    const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
    box.left = std::min(box.left, x);
    box.top = std::min(box.top, y);
    box.right = std::max(box.right, x);
    box.bottom = std::max(box.bottom, y);
  }
  return box;
}

// ---- Painting checks ----

const RainButtonLook kTestLook{RGB(0, 0, 0), RGB(250, 250, 250), RGB(150, 170, 220), nullptr};
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kFaceW = 100, kFaceH = 24;

std::vector<std::uint32_t> Face(const RainButtonLook& look, RainButtonState state) {
  PixelSurface s = Canvas(kFaceW, kFaceH, kMagenta);
  win32::PaintRainButtonFace(s.dc(), RECT{0, 0, kFaceW, kFaceH}, look, state);
  return Pixels(s);
}

std::vector<std::uint32_t> Button(const std::string& caption, RainButtonState state, bool focused,
                                  bool accelerators) {
  PixelSurface s = Canvas(kFaceW, kFaceH, kMagenta);
  win32::PaintRainButton(s.dc(), RECT{0, 0, kFaceW, kFaceH}, caption, kTestLook, state, focused,
                         accelerators);
  return Pixels(s);
}

COLORREF Pick(const std::vector<std::uint32_t>& p, int x, int y, int width = kFaceW) {
  const std::uint32_t v = p[y * width + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void CheckButtonFace(Checks& c) {
  PixelSurface s = Canvas(120, 40, kMagenta);
  win32::PaintRainButtonFace(s.dc(), RECT{10, 8, 110, 32}, kTestLook, RainButtonState::kNormal);
  ::GdiFlush();
  c.Expect(ColourAt(s, 10, 8) == kMagenta && ColourAt(s, 9, 20) == kMagenta &&
               ColourAt(s, 110, 20) == kMagenta && ColourAt(s, 60, 32) == kMagenta,
           "face: rounded corners and the outside keep what was under the button");
  c.Expect(Luminance(ColourAt(s, 60, 8)) < 130 && Luminance(ColourAt(s, 10, 20)) < 130,
           "face: a dark outline along the edges");
  const auto row = [](int y) {
    return win32::MixColours(kTestLook.back, kTestLook.back_end, y / 23.0);
  };
  c.Expect(Near(ColourAt(s, 60, 8 + 5), row(5), 3) && Near(ColourAt(s, 60, 8 + 20), row(20), 3),
           "face: a vertical gradient from back (top) to back_end (bottom)");

  RainButtonLook flat = kTestLook;
  flat.back_end = flat.back = RGB(120, 160, 90);
  const auto flat_face = Face(flat, RainButtonState::kNormal);
  c.Expect(
      Pick(flat_face, 50, 5) == RGB(120, 160, 90) && Pick(flat_face, 50, 19) == RGB(120, 160, 90),
      "face: back == back_end gives a flat fill");

  const auto normal = Face(kTestLook, RainButtonState::kNormal);
  const auto hot = Face(kTestLook, RainButtonState::kHot);
  const auto pressed = Face(kTestLook, RainButtonState::kPressed);
  const auto disabled = Face(kTestLook, RainButtonState::kDisabled);
  c.Expect(Luminance(Pick(hot, 50, 12)) > Luminance(Pick(normal, 50, 12)) &&
               Luminance(Pick(pressed, 50, 12)) < Luminance(Pick(normal, 50, 12)),
           "face: hot is brighter and pressed darker than normal");
  c.Expect(Luminance(Pick(pressed, 50, 4)) < Luminance(Pick(pressed, 50, 20)),
           "face: the pressed gradient is turned over (darker at the top)");
  const COLORREF grey = Pick(disabled, 50, 12);
  c.Expect(GetRValue(grey) == GetGValue(grey) && GetGValue(grey) == GetBValue(grey),
           "face: disabled is grey");
  c.Expect(Face(kTestLook, RainButtonState::kNormal) == normal, "face: painting is deterministic");
}

void CheckAccessKeys(Checks& c) {
  struct Case {
    const char* caption;
    const char* text;
    int key_index;
  };
  const Case cases[] = {
      {"&Help", "Help", 0},
      {"Allow (&Site)", "Allow (Site)", 7},
      {"A&&B", "A&B", -1},
      {"&&&x", "&x", 1},
      {"Save &As &Now", "Save As Now", 5},  // the first mark is the key
      {"End&", "End", -1},
      {"", "", -1},
  };
  bool all = true;
  for (const Case& k : cases) {
    const win32::AccessKeyCaption split = win32::SplitAccessKey(k.caption);
    if (split.text != k.text || split.key_index != k.key_index) {
      std::printf("     \"%s\" -> \"%s\" %d\n", k.caption, split.text.c_str(), split.key_index);
      all = false;
    }
  }
  c.Expect(all, "caption: access-key marks resolve like the dialog manager reads them");
}

void CheckButtonCaption(Checks& c) {
  const auto hidden = Button("&Help", RainButtonState::kNormal, false, false);
  const auto shown = Button("&Help", RainButtonState::kNormal, false, true);
  const auto plain = Button("Help", RainButtonState::kNormal, false, true);
  c.Expect(hidden == plain, "caption: hidden access key draws \"&Help\" as \"Help\"");
  const Box underline = DiffBox(shown, plain, kFaceW);
  c.Expect(!underline.empty() && underline.top == underline.bottom,
           "caption: a shown access key adds one underline row");
  c.Expect(Button("A&&B", RainButtonState::kNormal, false, true) ==
                   Button("A&&B", RainButtonState::kNormal, false, false) &&
               Button("A&&B", RainButtonState::kNormal, false, true) !=
                   Button("AB", RainButtonState::kNormal, false, true),
           "caption: \"&&\" shows an ampersand and is no access key");

  const auto face = Face(kTestLook, RainButtonState::kNormal);
  const Box ink = DiffBox(plain, face, kFaceW);
  c.Expect(!ink.empty() && std::abs((ink.left + ink.right) - kFaceW) <= 4 &&
               std::abs((ink.top + ink.bottom) - kFaceH) <= 3,
           "caption: centred in the face");
  const Box pressed_ink = DiffBox(Button("Help", RainButtonState::kPressed, false, true),
                                  Face(kTestLook, RainButtonState::kPressed), kFaceW);
  c.Expect(pressed_ink.left == ink.left + 1 && pressed_ink.top == ink.top + 1,
           "caption: moves 1 px down-right when pressed");
  int darkest_disabled = 255;
  const auto disabled = Button("Help", RainButtonState::kDisabled, false, true);
  for (int y = ink.top; y <= ink.bottom; ++y) {
    for (int x = ink.left; x <= ink.right; ++x) {
      darkest_disabled = std::min(darkest_disabled, Luminance(Pick(disabled, x, y)));
    }
  }
  c.Expect(darkest_disabled > 60, "caption: greyed when disabled");

  const Box focus = DiffBox(Button("Help", RainButtonState::kNormal, true, true), plain, kFaceW);
  c.Expect(
      focus.left == 3 && focus.top == 3 && focus.right == kFaceW - 4 && focus.bottom == kFaceH - 4,
      "caption: the focus rectangle sits 3 px inside the face");
}

void CheckSkinBackground(Checks& c) {
  const COLORREF base = RGB(204, 216, 232);
  auto paint = [&](int width, int height) {
    PixelSurface s = Canvas(width, height, kMagenta);
    win32::PaintSkinBackground(s.dc(), RECT{0, 0, width, height}, base);
    return Pixels(s);
  };
  const auto first = paint(200, 150);
  for (int i = 0; i < 10; ++i) paint(100 + i, 80);  // pushes the first picture out of the cache
  c.Expect(paint(200, 150) == first, "background: the same picture after the cache evicted it");

  PixelSurface offset = Canvas(220, 170, kMagenta);
  win32::PaintSkinBackground(offset.dc(), RECT{7, 9, 207, 159}, base);
  ::GdiFlush();
  bool same = ColourAt(offset, 6, 50) == kMagenta && ColourAt(offset, 207, 50) == kMagenta;
  for (int y = 0; y < 150 && same; ++y) {
    for (int x = 0; x < 200 && same; ++x) same = offset.at(x + 7, y + 9) == first[y * 200 + x];
  }
  c.Expect(same, "background: painted at an offset, it fills exactly its rectangle");

  const COLORREF outer = Pick(first, 0, 70, 200);
  const COLORREF light = Pick(first, 1, 70, 200);
  const COLORREF shade = Pick(first, 198, 70, 200);
  c.Expect(Luminance(outer) < Luminance(base) - 60 && Luminance(light) > Luminance(base) + 10 &&
               Luminance(shade) < Luminance(base) - 10,
           "background: a dark outer line and a raised bevel frame");
  int top = 0, bottom = 0, worst = 0;
  for (int x = 10; x < 190; ++x) {
    top += Luminance(Pick(first, x, 4, 200));
    bottom += Luminance(Pick(first, x, 145, 200));
    worst = std::max(
        worst, std::abs(Luminance(Pick(first, x, 75, 200)) - Luminance(Pick(first, 10, 75, 200))));
  }
  c.Expect(top > bottom, "background: lighter at the top than at the bottom");
  c.Expect(worst > 0 && worst <= 8, "background: a faint grain, no more than a few levels");
}

void CheckTitleStrip(Checks& c) {
  RainButtonLook look{RGB(255, 255, 255), RGB(96, 140, 204), RGB(38, 74, 140), nullptr};
  const RECT strip{0, 0, 200, 22};
  auto paint = [&](const std::string& caption) {
    PixelSurface s = Canvas(200, 22, kMagenta);
    win32::PaintTitleStrip(s.dc(), strip, caption, look);
    return Pixels(s);
  };
  const auto face = paint("");
  const Box x = DiffBox(paint("X"), face, 200);
  const Box padded = DiffBox(paint("    X"), face, 200);
  c.Expect(!x.empty() && x.left >= 6 && x.left <= 9, "title: caption left-aligned after a margin");
  c.Expect(padded.left >= x.left + 4, "title: leading blanks are kept and move the caption");
  c.Expect(paint("A&B") != paint("AB") && paint("A&B") != paint("A&&B"),
           "title: the caption is drawn verbatim (no access-key processing)");
  // A caption too long for the strip: the letters that fit are drawn as they are (an ellipsis
  // would replace the last of them) and the rest is cut at the edge.
  const std::string long_caption(60, 'W');
  PixelSurface fonts = Canvas(10, 10, kMagenta);
  std::size_t fit = 0;
  SIZE extent{0, 0};
  {
    win32::ScopedSelect font(fonts.dc(), win32::DefaultUiFont());
    while (fit < long_caption.size()) {
      SIZE next;
      ::GetTextExtentPoint32A(fonts.dc(), long_caption.c_str(), static_cast<int>(fit + 1), &next);
      if (6 + next.cx > 198) break;
      extent = next;
      ++fit;
    }
  }
  const auto whole = paint(long_caption);
  const auto fitting = paint(long_caption.substr(0, fit));
  bool same_start = fit > 3;
  for (int y = 0; y < 22 && same_start; ++y) {
    for (int x = 0; x < 6 + extent.cx && same_start; ++x)
      same_start = whole[y * 200 + x] == fitting[y * 200 + x];
  }
  c.Expect(same_start, "title: a long caption is not shortened with an ellipsis");
  c.Expect(DiffBox(whole, face, 200).right >= 195, "title: a long caption is cut at the edge");

  PixelSurface measure = Canvas(200, 22, kMagenta);
  const std::string caption = "  Title   X";
  const auto box = win32::TitleStripCloseBox(measure.dc(), strip, caption, look);
  std::string without_x = caption;
  without_x.back() = ' ';
  const Box letter = DiffBox(paint(caption), paint(without_x), 200);
  c.Expect(box && !letter.empty() && box->left <= letter.left && box->right > letter.right &&
               box->left > letter.left - 10,
           "title: the close box is around the drawn X");
  c.Expect(!win32::TitleStripCloseBox(measure.dc(), strip, "Title", look),
           "title: no close box without a trailing X");
}

void CheckLabels(Checks& c) {
  const COLORREF base = RGB(204, 216, 232);
  const RECT area{0, 0, 160, 60};
  auto paint = [&](const std::string& text, UINT align, bool wrap, bool embossed = false) {
    PixelSurface s = Canvas(160, 60, kMagenta);
    win32::PaintSkinBackground(s.dc(), area, base);
    if (embossed) {
      win32::DrawEmbossedLabelText(s.dc(), RECT{4, 4, 156, 56}, text, nullptr, RGB(0, 0, 128),
                                   RGB(255, 255, 255), align, wrap);
    } else {
      win32::DrawLabelText(s.dc(), RECT{4, 4, 156, 56}, text, nullptr, RGB(0, 0, 128), align, wrap);
    }
    return Pixels(s);
  };
  const auto empty = paint("", DT_LEFT, false);
  const auto left = paint("Pelkrin", DT_LEFT, false);
  const Box ink = DiffBox(left, empty, 160);
  bool has_colour = false;
  for (std::uint32_t p : left) has_colour = has_colour || p == 0x000080;
  c.Expect(!ink.empty() && ink.left >= 4 && ink.left <= 6 && has_colour,
           "label: text in its colour at the left of its rectangle");
  c.Expect(Pick(left, ink.right + 3, ink.top, 160) == Pick(empty, ink.right + 3, ink.top, 160) &&
               Pick(left, 2, 2, 160) == Pick(empty, 2, 2, 160),
           "label: transparent (the background shows around the text)");
  const Box right = DiffBox(paint("Pelkrin", DT_RIGHT, false), empty, 160);
  const Box centre = DiffBox(paint("Pelkrin", DT_CENTER, false), empty, 160);
  c.Expect(right.right >= 152 && right.right <= 155, "label: DT_RIGHT aligns to the right edge");
  // DrawText centres the advance widths, so the ink may sit a few pixels off the middle.
  c.Expect(
      std::abs((centre.left + centre.right) - 160) <= 6 && centre.left > 14 && centre.right < 146,
      "label: DT_CENTER centres");
  c.Expect(paint("A&B", DT_LEFT, false) != paint("AB", DT_LEFT, false),
           "label: \"&\" is drawn, not taken as an access key");
  const std::string words = "one two three four five six seven eight";
  const Box wrapped = DiffBox(paint(words, DT_LEFT, true), empty, 160);
  const Box single = DiffBox(paint(words, DT_LEFT, false), empty, 160);
  c.Expect(wrapped.bottom - wrapped.top > 2 * (single.bottom - single.top),
           "label: word_wrap breaks long text into lines");
  c.Expect(DiffBox(paint("one\r\ntwo", DT_LEFT, false), empty, 160).bottom > single.bottom + 4,
           "label: explicit line breaks break without word_wrap");
  PixelSurface dc = Canvas(10, 10, kMagenta);
  const SIZE one_line = win32::MeasureLabelText(dc.dc(), words, nullptr, 0, false);
  const SIZE lines = win32::MeasureLabelText(dc.dc(), words, nullptr, 152, true);
  c.Expect(lines.cy > one_line.cy && lines.cx <= 152 && one_line.cx > 152,
           "label: MeasureLabelText measures wrapped and unwrapped text");

  const auto embossed = paint("Pelkrin", DT_LEFT, false, true);
  int white_top = 1 << 30, ink_top = 1 << 30, white_left = 1 << 30, ink_left = 1 << 30;
  for (int i = 0; i < 160 * 60; ++i) {
    const int x = i % 160, y = i / 160;
    if (embossed[i] == 0xFFFFFF) {
      white_top = std::min(white_top, y);
      white_left = std::min(white_left, x);
    }
    if (embossed[i] == 0x000080) {
      ink_top = std::min(ink_top, y);
      ink_left = std::min(ink_left, x);
    }
  }
  c.Expect(white_top == ink_top - 1 && white_left == ink_left - 1,
           "label: embossed text has its light copy 1 px up-left");
}

// ---- Behaviour checks ----

RainButtonState StateOf(HWND button) {
  return static_cast<RainButtonState>(::SendMessageA(button, win32::kRbmGetState, 0, 0));
}

void PostKey(UINT message, WPARAM key) {
  const UINT scan = ::MapVirtualKeyA(static_cast<UINT>(key), 0);
  LPARAM lparam = 1 | (static_cast<LPARAM>(scan) << 16);
  if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) lparam |= 1L << 29;  // Alt held
  if (message == WM_KEYUP || message == WM_SYSKEYUP) lparam |= (1L << 30) | (1UL << 31);
  HWND focus = ::GetFocus();
  ::PostMessageA(focus, message, key, lparam);
}

void Press(WPARAM key) {
  PostKey(WM_KEYDOWN, key);
  PostKey(WM_KEYUP, key);
}

std::vector<std::uint32_t> Render(HWND window) {
  RECT client;
  ::GetClientRect(window, &client);
  PixelSurface s = Canvas(client.right, client.bottom, kMagenta);
  ::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
  return Pixels(s);
}

std::string TextOf(HWND window) {
  char buffer[256] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

// The caption read by WM_GETTEXT and the click's WM_COMMAND (id, BN_CLICKED, the button's
// handle) are what the end-to-end tests find and click the program's buttons by.
void CheckMessages(Checks& c, Gallery& g) {
  const LRESULT code = ::SendMessageA(g.allow(), WM_GETDLGCODE, 0, 0);
  c.Expect(code == (DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON),
           "window: WM_GETDLGCODE is DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON");
  const LONG style = ::GetWindowLongA(g.allow(), GWL_STYLE);
  c.Expect((style & WS_CHILD) && (style & WS_TABSTOP) && (style & WS_VISIBLE),
           "window: a visible WS_CHILD | WS_TABSTOP window");

  const auto original = Render(g.allow());
  {
    const RainButtonLook other{RGB(200, 0, 0), RGB(0, 90, 0), RGB(0, 40, 0), nullptr};
    ::SendMessageA(g.allow(), win32::kRbmSetLook, 0, reinterpret_cast<LPARAM>(&other));
  }  // the look is copied: it may go out of scope
  const auto recoloured = Render(g.allow());
  ::SendMessageA(g.allow(), win32::kRbmSetLook, 0, reinterpret_cast<LPARAM>(&g.button_look()));
  c.Expect(recoloured != original && Render(g.allow()) == original,
           "window: kRbmSetLook changes the look and back");

  HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
  HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  const LPARAM over_client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  ::SendMessageA(g.allow(), win32::kRbmSetCursor, reinterpret_cast<WPARAM>(hand), 0);
  ::SendMessageA(g.allow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(g.allow()), over_client);
  const bool hand_shown = ::GetCursor() == hand;
  ::SendMessageA(g.allow(), win32::kRbmSetCursor, 0, 0);
  ::SendMessageA(g.allow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(g.allow()), over_client);
  c.Expect(hand_shown && ::GetCursor() == arrow,
           "window: kRbmSetCursor sets the pointer over the button, nullptr the arrow");

  // Keyboard cues as the dialog manager switches them.
  ::SetFocus(g.help());
  g.PumpPending();
  const auto cues = Render(g.help());
  ::SendMessageA(g.help(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
  const auto no_underline = Render(g.help());
  ::SendMessageA(g.help(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  const auto no_cues = Render(g.help());
  ::SendMessageA(g.help(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS),
                 0);
  RECT client;
  ::GetClientRect(g.help(), &client);
  const Box underline = DiffBox(cues, no_underline, client.right);
  const Box focus = DiffBox(no_underline, no_cues, client.right);
  c.Expect(!underline.empty() && underline.top == underline.bottom,
           "window: UISF_HIDEACCEL hides the access-key underline");
  c.Expect(!focus.empty() && focus.left == 3 && focus.top == 3,
           "window: UISF_HIDEFOCUS hides the focus rectangle");
  c.Expect(Render(g.help()) == cues, "window: clearing the flags shows both again");

  ::SetWindowTextA(g.allow(), "Allow (&Site)");
  c.Expect(TextOf(g.allow()) == "Allow (&Site)", "window: WM_SETTEXT changes the caption");
}

void CheckKeyboard(Checks& c, Gallery& g) {
  ::SetFocus(g.allow());
  Press(VK_TAB);
  c.Expect(g.PumpUntil([&] { return ::GetFocus() == g.help(); }, kDeadlineMs),
           "keys: Tab moves from one button to the next");
  Press(VK_TAB);
  c.Expect(g.PumpUntil([&] { return ::GetFocus() == g.remember(); }, kDeadlineMs),
           "keys: Tab skips the disabled button");

  ::SetFocus(g.help());
  int help = g.Clicks(kHelpId);
  PostKey(WM_KEYDOWN, VK_SPACE);
  c.Expect(
      g.PumpUntil([&] { return StateOf(g.help()) == RainButtonState::kPressed; }, kDeadlineMs) &&
          g.Clicks(kHelpId) == help,
      "keys: Space down shows the pressed look without clicking");
  PostKey(WM_KEYUP, VK_SPACE);
  c.Expect(g.PumpUntil([&] { return g.Clicks(kHelpId) == help + 1; }, kDeadlineMs) &&
               StateOf(g.help()) != RainButtonState::kPressed,
           "keys: Space up clicks");

  PostKey(WM_KEYDOWN, VK_SPACE);
  g.PumpUntil([&] { return StateOf(g.help()) == RainButtonState::kPressed; }, kDeadlineMs);
  ::SetFocus(g.allow());
  PostKey(WM_KEYUP, VK_SPACE);
  g.PumpPending();  // the posted key-up (sent to the new focus) is handled
  c.Expect(g.Clicks(kHelpId) == help + 1 && StateOf(g.help()) != RainButtonState::kPressed,
           "keys: Space released after the focus moved away does not click");

  ::SetFocus(g.help());
  help = g.Clicks(kHelpId);
  const int ok = g.OkCount();
  Press(VK_RETURN);
  c.Expect(
      g.PumpUntil([&] { return g.Clicks(kHelpId) == help + 1; }, kDeadlineMs) && g.OkCount() == ok,
      "keys: Enter clicks the focused button (not IDOK)");

  ::SetFocus(g.allow());
  help = g.Clicks(kHelpId);
  const int allow = g.Clicks(kAllowId);
  PostKey(WM_SYSKEYDOWN, 'H');
  PostKey(WM_SYSKEYUP, 'H');
  c.Expect(g.PumpUntil([&] { return g.Clicks(kHelpId) == help + 1; }, kDeadlineMs) &&
               g.Clicks(kAllowId) == allow,
           "keys: Alt+H clicks \"&Help\" through IsDialogMessage");
  ::SetFocus(g.help());
  PostKey(WM_SYSKEYDOWN, 'S');
  PostKey(WM_SYSKEYUP, 'S');
  c.Expect(g.PumpUntil([&] { return g.Clicks(kAllowId) == allow + 1; }, kDeadlineMs),
           "keys: a caption changed by WM_SETTEXT brings its new access key (Alt+S)");
}

void CheckMouse(Checks& c, Gallery& g) {
  HWND b = g.allow();
  const LPARAM inside = MAKELPARAM(10, 10);
  const LPARAM outside = MAKELPARAM(static_cast<WORD>(-20), 10);
  int clicks = g.Clicks(kAllowId);
  ::SetFocus(g.help());
  ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  c.Expect(StateOf(b) == RainButtonState::kPressed && ::GetCapture() == b && ::GetFocus() == b,
           "mouse: pressing takes focus and capture and shows the pressed look");
  ::SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, outside);
  c.Expect(StateOf(b) == RainButtonState::kNormal, "mouse: dragged off, the face pops back up");
  ::SendMessageA(b, WM_LBUTTONUP, 0, outside);
  c.Expect(g.Clicks(kAllowId) == clicks && ::GetCapture() == nullptr,
           "mouse: released outside, no click and the capture is released");

  ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  ::SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, outside);
  ::SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, inside);
  c.Expect(StateOf(b) == RainButtonState::kPressed, "mouse: dragged back on, pressed again");
  ::SendMessageA(b, WM_LBUTTONUP, 0, inside);
  c.Expect(g.Clicks(kAllowId) == clicks + 1, "mouse: released inside, one click");

  clicks = g.Clicks(kAllowId);
  ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  ::SetCapture(g.window());  // as a menu or message box would take the mouse
  ::ReleaseCapture();
  ::SendMessageA(b, WM_LBUTTONUP, 0, inside);
  c.Expect(g.Clicks(kAllowId) == clicks && StateOf(b) != RainButtonState::kPressed,
           "mouse: a press whose capture was taken away does not click");

  ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  ::EnableWindow(b, FALSE);
  const bool released = ::GetCapture() != b && StateOf(b) == RainButtonState::kDisabled;
  ::SendMessageA(b, WM_LBUTTONUP, 0, inside);
  ::EnableWindow(b, TRUE);
  c.Expect(released && g.Clicks(kAllowId) == clicks,
           "mouse: disabling a pressed button drops the press without a click");

  // Hover with the real pointer: the button turns hot, and back when the pointer leaves. The
  // messages sent above moved no pointer; start from a pointer well away from the window.
  RECT rect;
  ::GetWindowRect(b, &rect);
  const POINT away{2, 2};
  const POINT over{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  auto pointer_at = [](POINT where) {
    POINT now;
    return ::GetCursorPos(&now) && now.x == where.x && now.y == where.y;
  };
  ::SetCursorPos(away.x, away.y);
  g.PumpUntil([&] { return pointer_at(away) && StateOf(b) == RainButtonState::kNormal; },
              kDeadlineMs);
  ::SetCursorPos(over.x, over.y);
  c.Expect(g.PumpUntil([&] { return pointer_at(over) && StateOf(b) == RainButtonState::kHot; },
                       kDeadlineMs),
           "mouse: the pointer over the button shows the hot look");
  ::SetCursorPos(away.x, away.y);
  const bool left = g.PumpUntil(
      [&] { return pointer_at(away) && StateOf(b) == RainButtonState::kNormal; }, kDeadlineMs);
  if (!left) std::printf("     state %d\n", static_cast<int>(StateOf(b)));
  c.Expect(left, "mouse: the hot look ends when the pointer leaves");
}

void CheckDisabled(Checks& c, Gallery& g) {
  HWND b = g.remove();
  c.Expect(StateOf(b) == RainButtonState::kDisabled, "disabled: EnableWindow(FALSE) shows it");
  ::SendMessageA(b, BM_CLICK, 0, 0);
  ::SendMessageA(b, WM_KEYDOWN, VK_RETURN, 1);
  ::SendMessageA(b, WM_KEYDOWN, VK_SPACE, 1);
  ::SendMessageA(b, WM_KEYUP, VK_SPACE, 1 | (3UL << 30));
  ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ::SetFocus(g.allow());
  PostKey(WM_SYSKEYDOWN, 'R');
  PostKey(WM_SYSKEYUP, 'R');
  g.PumpPending();  // the posted keys and the characters they make are all handled
  c.Expect(g.Clicks(kRemoveId) == 0, "disabled: no click from BM_CLICK, keys, mouse or Alt+R");
  ::EnableWindow(b, TRUE);
  ::SendMessageA(b, BM_CLICK, 0, 0);
  c.Expect(g.Clicks(kRemoveId) == 1 && StateOf(b) != RainButtonState::kDisabled,
           "disabled: enabled again, it clicks");
  ::EnableWindow(b, FALSE);
}

void CheckSkinBrush(Checks& c, Gallery& g) {
  // The check box draws its background with the window's SkinBrush: the grain must continue
  // the window's picture exactly, not restart at the check box's corner.
  PixelSurface window = Canvas(kWidth, kHeight, kMagenta);
  g.Paint(window.dc());
  ::GdiFlush();
  RECT box;
  ::GetWindowRect(g.remember(), &box);
  ::MapWindowPoints(nullptr, g.window(), reinterpret_cast<POINT*>(&box), 2);
  const auto drawn = Render(g.remember());
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  bool same = true;
  for (int y = 0; y < height; ++y) {  // the empty right end of the check box
    for (int x = width - 12; x < width; ++x) {
      same = same && drawn[y * width + x] == window.at(box.left + x, box.top + y);
    }
  }
  c.Expect(same, "skin brush: a check box's background continues the window's picture");
}

void CheckDestroyedByItsClick(Checks& c, Gallery& g) {
  const RECT rect{20, 236, 100, 256};
  int clicks = g.Clicks(kSelfDestructId);
  HWND b = win32::CreateRainButton(g.window(), kSelfDestructId, rect, "Gone", g.button_look());
  ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  c.Expect(!::IsWindow(b) && g.Clicks(kSelfDestructId) == clicks + 1 && ::GetCapture() == nullptr,
           "lifetime: a button destroyed by its own mouse click");
  b = win32::CreateRainButton(g.window(), kSelfDestructId, rect, "Gone", g.button_look());
  ::SetFocus(b);
  Press(VK_SPACE);
  c.Expect(g.PumpUntil([&] { return !::IsWindow(b); }, kDeadlineMs) &&
               g.Clicks(kSelfDestructId) == clicks + 2,
           "lifetime: a button destroyed by its own Space click");
  b = win32::CreateRainButton(g.window(), kSelfDestructId, rect, "Gone", g.button_look());
  ::SetFocus(b);
  Press(VK_RETURN);
  c.Expect(g.PumpUntil([&] { return !::IsWindow(b); }, kDeadlineMs) &&
               g.Clicks(kSelfDestructId) == clicks + 3,
           "lifetime: a button destroyed by its own Enter click");
  ::SetFocus(g.allow());
}

}  // namespace

int RunSelfTest(Gallery& gallery) {
  Checks checks;
  gallery.PumpUntil([&] { return ::IsWindowVisible(gallery.window()) != FALSE; }, kDeadlineMs);
  CheckButtonFace(checks);
  CheckAccessKeys(checks);
  CheckButtonCaption(checks);
  CheckSkinBackground(checks);
  CheckTitleStrip(checks);
  CheckLabels(checks);
  CheckMessages(checks, gallery);
  CheckKeyboard(checks, gallery);
  CheckMouse(checks, gallery);
  CheckDisabled(checks, gallery);
  CheckSkinBrush(checks, gallery);
  CheckDestroyedByItsClick(checks, gallery);
  return checks.failures();
}

}  // namespace pelkrin::gallery

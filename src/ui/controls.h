// The controls a window is made of, as plain values that own their state and raise their events.
// Setting a value from code runs the same handling a user's action runs (a check box's click, a
// text box's change), exactly as the windows' behaviour depends on. A view, when there is one,
// watches the controls through ControlSink and mirrors them on screen.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin {

class Form;
class Control;

// Position and size inside the window, in pixels.
struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

using Rgb = std::uint32_t;  // 0xRRGGBB

struct Font {
  std::string face = "Tahoma";
  int points = 8;
  bool bold = false;
  bool underline = false;
};

enum class ControlKind {
  kLabel,
  kTextBox,
  kListBox,
  kComboBox,
  kCheckBox,
  kButton,
  kTitleStrip,
  kShape,
  kImage,
  kTimer,
};

enum class Change {
  kCaption,  // caption or text
  kVisible,
  kEnabled,
  kValue,      // check box value
  kItemAdded,  // index of the new item
  kItemRemoved,
  kItemsCleared,
  kSelection,
  kPicture,
  kDestroyed,  // the control is going away; a view must forget it
};

class ControlSink {
 public:
  virtual ~ControlSink() = default;
  virtual void ControlChanged(Control& control, Change change, int index) = 0;
};

// Mouse buttons as the windows' handlers receive them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// Pixels to twips, the unit of the mouse coordinates handed to handlers.
inline constexpr int kTwipsPerPixel = 15;

class Control {
 public:
  Control(Form& form, std::string name, ControlKind kind, Bounds bounds);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  const std::string& Name() const { return name_; }
  ControlKind Kind() const { return kind_; }
  Form& Owner() const { return form_; }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  void SetSink(ControlSink* sink) { sink_ = sink; }

  // Design values: set when the window is built, read by the view.
  Bounds bounds;
  std::string tool_tip;
  Font font;
  Rgb fore_color = 0x000000;
  Rgb back_color = 0xFFFFFF;
  int cursor = 0;     // resource number of a custom mouse cursor, 0 for the default
  int tab_index = 0;  // keyboard order among the controls that take the focus

 protected:
  void Notify(Change change, int index = -1);

 private:
  Form& form_;
  std::string name_;
  ControlKind kind_;
  bool visible_ = true;
  bool enabled_ = true;
  ControlSink* sink_ = nullptr;
};

// Mouse events carry the button state, the shift state and the position in twips.
using MouseHandler = std::function<void(int button, int shift, int x, int y)>;

enum class Align { kLeft, kCenter, kRight };

class Label : public Control {
 public:
  Label(Form& form, std::string name, Bounds bounds, std::string caption = {});

  const std::string& Caption() const { return caption_; }
  // Changes the caption; the copy label (the embossed shadow) takes it over at once.
  void SetCaption(std::string caption);
  // Makes `copy` the embossed copy of this label: it repeats every caption of this one.
  void SetCopy(Label& copy);

  Align alignment = Align::kLeft;
  bool transparent = true;
  bool word_wrap = true;

  std::function<void()> on_click;
  std::function<void()> on_dbl_click;
  MouseHandler on_mouse_down;
  MouseHandler on_mouse_move;
  MouseHandler on_mouse_up;

  void Click() {
    if (on_click) on_click();
  }

 private:
  std::string caption_;
  Label* copy_ = nullptr;
};

class TextBox : public Control {
 public:
  TextBox(Form& form, std::string name, Bounds bounds, std::string text = {});

  const std::string& Text() const { return text_; }
  // Changes the text and raises the change event when it differs, from code or from the user.
  void SetText(std::string text);

  // Design values: several lines with word wrap and a vertical scroll bar; read-only text that
  // the user can still select and copy.
  bool multi_line = false;
  bool locked = false;

  std::function<void()> on_change;
  std::function<void()> on_click;
  // The character typed; a handler may set it to 0 to swallow it.
  std::function<void(int& key_ascii)> on_key_press;

  void Click() {
    if (on_click) on_click();
  }
  void KeyPress(int& key_ascii) {
    if (on_key_press) on_key_press(key_ascii);
  }

 private:
  std::string text_;
};

class ListBox : public Control {
 public:
  ListBox(Form& form, std::string name, Bounds bounds);

  int ListCount() const { return static_cast<int>(items_.size()); }
  const std::string& List(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(std::string item);
  // Replaces the text of one entry in place; the selection stays where it is.
  void SetItem(int index, std::string item);
  // Removes one entry; the selection stays on the entry it was on (none when that one goes).
  void RemoveItem(int index);
  void Clear();
  // Counts the changes to entries already in the list (replaced, removed, cleared); appends do
  // not count. A copy of the first entries stays true while this number stays the same.
  std::uint64_t EditCount() const { return edit_count_; }

  // The selected entry, -1 for none. Only the user moves it: code that reads or appends
  // entries never does.
  int ListIndex() const { return list_index_; }
  // The user's selection (a click or the double-click's first click); raises the click event.
  void UserSelect(int index);
  // The user's selection by the keyboard, or by the right button that opens the entry's menu, in
  // a list whose double-click opens a menu: the menu acts on it, so no click event is raised.
  void UserSelectForMenu(int index);

  std::function<void()> on_click;
  std::function<void()> on_dbl_click;

  void DblClick() {
    if (on_dbl_click) on_dbl_click();
  }

  // Design value: the double-click opens the entry's menu, so the keyboard's ways of opening a
  // menu (Enter, the menu key, Shift+F10) and the right button raise it too. Off, only a
  // double-click with the mouse does.
  bool dbl_click_opens_menu = false;

 private:
  std::vector<std::string> items_;
  int list_index_ = -1;
  std::uint64_t edit_count_ = 0;
};

// A drop-down list with an edit field: the user picks an entry from the list or types. Picking an
// entry puts it into the field and raises the click event; typing changes only the text.
class ComboBox : public Control {
 public:
  ComboBox(Form& form, std::string name, Bounds bounds, std::string text = {});

  int ListCount() const { return static_cast<int>(items_.size()); }
  const std::string& List(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(std::string item);

  // The text of the edit field.
  const std::string& Text() const { return text_; }
  // Typed text, or text set by code: no click event.
  void SetText(std::string text);
  // The picked entry, -1 when the text was typed or set.
  int ListIndex() const { return list_index_; }
  // The user picks an entry: its text goes into the field, then the click event runs.
  void UserPick(int index);
  // The user opens the list.
  void DropDown() {
    if (on_dropdown) on_dropdown();
  }

  std::function<void()> on_click;
  std::function<void()> on_dropdown;

 private:
  std::vector<std::string> items_;
  std::string text_;
  int list_index_ = -1;
};

class CheckBox : public Control {
 public:
  CheckBox(Form& form, std::string name, Bounds bounds, int value);

  int Value() const { return value_; }
  // A different value raises the click event, whether code or the user changed it.
  void SetValue(int value);
  // The user clicked the box itself: it toggles its own state.
  void UserClick() { SetValue(value_ == 1 ? 0 : 1); }

  std::string caption;
  std::function<void()> on_click;

 private:
  int value_;
};

// The gradient push button; as a title strip it only shows the window's title.
class RainButton : public Control {
 public:
  RainButton(Form& form, std::string name, Bounds bounds, std::string caption,
             ControlKind kind = ControlKind::kButton);

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

  Rgb back_end_color = 0xFFFFFF;  // the gradient's second colour

  std::function<void()> on_click;
  void Click() {
    if (Enabled() && on_click) on_click();
  }

 private:
  std::string caption_;
};

class Shape : public Control {
 public:
  enum class Style { kRectangle, kRoundedRectangle, kCircle };
  Shape(Form& form, std::string name, Bounds bounds, Style style, Rgb fill);
  Style style;
};

class Image : public Control {
 public:
  Image(Form& form, std::string name, Bounds bounds, Picture picture = {});
  const Picture& Get() const { return picture_; }
  void Set(const Picture& picture);

 private:
  Picture picture_;
};

// A timer of the window: ticks every interval while enabled, on the user-interface thread.
class Timer : public Control {
 public:
  // A clock that the system will not start leaves a diagnostic line; the timer stays enabled,
  // without ticks, and the next enabling tries again.
  Timer(Form& form, std::string name, EventLoop& events, Diagnostics& diagnostics,
        unsigned interval_ms, bool enabled);
  ~Timer() override;

  // Enabling starts the clock, disabling stops it.
  void SetEnabled(bool enabled) override;
  unsigned Interval() const { return interval_ms_; }

  std::function<void()> on_timer;
  // One tick, as the clock delivers it.
  void Tick() {
    if (on_timer) on_timer();
  }

 private:
  void Start();
  void Stop();

  EventLoop& events_;
  Diagnostics& diagnostics_;
  unsigned interval_ms_;
  std::uint32_t timer_id_ = 0;
};

}  // namespace pelkrin

// HelpTopicsWindow, the Help topics window: a drop-down list of questions, one of features, and a
// description box that shows the text of the entry picked last in either list. It unloads when
// closed, and every opening makes a new one.
#pragma once

#include <span>

#include "help/help_topics.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

class HelpTopicsWindow : public Form {
 public:
  explicit HelpTopicsWindow(const FormServices& services);

  // Declaration order is drawing order: the strip first, the labels over it, copies behind.
  RainButton title_strip;
  Label drag_handle;
  Label close_mark;
  Shape frame;
  Label question_heading_copy, question_heading;  // "FAQ:"
  ComboBox question_list;
  Label feature_heading_copy, feature_heading;  // "Features:"
  ComboBox feature_list;
  Label description_heading_copy, description_heading;  // "Description:"
  TextBox description_box;

  void Close();  // the close mark
  void CloseRequested() override { Close(); }

 protected:
  void OnLoad() override;

 private:
  // An entry picked in `list`: its text goes into the description box when the list's text is
  // exactly one of `topics`.
  void Picked(const ComboBox& list, std::span<const HelpTopic> topics);

  WindowManager& windows_;
  Sounds& sounds_;
};

}  // namespace pelkrin

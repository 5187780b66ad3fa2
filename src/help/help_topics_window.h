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
  RainButton RainButton1;  // title strip
  Label Label3;            // drag handle
  Label Label5;            // close mark
  Shape Frame1;
  Label Label9, Label4;  // "FAQ:" (copy, label)
  ComboBox Combo1;       // the questions
  Label Label7, Label6;  // "Features:" (copy, label)
  ComboBox Combo2;       // the features
  Label Label2, Label1;  // "Description:" (copy, label)
  TextBox Text1;         // the description box

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

#include "help/help_topics_window.h"

#include <string>

#include "ui/chrome.h"
#include "ui/layout.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 322;
constexpr ColumnLayout kLayout(kWidth, 22);

}  // namespace

HelpTopicsWindow::HelpTopicsWindow(const FormServices& services)
    : Form(services.views, "HelpTopicsWindow", "Pelkrin - Help Topics", {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      close_mark(*this, "close_mark", {}),
      frame(*this, "frame", kLayout.Frame(kHeight - 46), Shape::Style::kRoundedRectangle,
            kFrameColor),
      question_heading_copy(*this, "question_heading_copy", {}),
      question_heading(*this, "question_heading", kLayout.Row(42), "FAQ:"),
      question_list(*this, "question_list", kLayout.Row(60, 22), "Select a question..."),
      feature_heading_copy(*this, "feature_heading_copy", {}),
      feature_heading(*this, "feature_heading", kLayout.Row(94), "Features:"),
      feature_list(*this, "feature_list", kLayout.Row(112, 22), "Select a feature..."),
      description_heading_copy(*this, "description_heading_copy", {}),
      description_heading(*this, "description_heading", kLayout.Row(146), "Description:"),
      description_box(*this, "description_box", kLayout.Row(164, kHeight - 164 - 22)),
      windows_(services.windows),
      sounds_(services.sounds) {
  back_color = kSkinBack;
  SetUpChrome(*this, title_strip, drag_handle, &close_mark, Caption(), services.drag,
              "Close Help Topics", [this] { Close(); });

  AddHeading(question_heading, question_heading_copy);
  AddHeading(feature_heading, feature_heading_copy);
  AddHeading(description_heading, description_heading_copy);
  description_box.multi_line = true;
  description_box.locked = true;

  for (const HelpTopic& topic : HelpQuestions()) question_list.AddItem(std::string(topic.entry));
  for (const HelpTopic& topic : HelpFeatures()) feature_list.AddItem(std::string(topic.entry));
  question_list.on_dropdown = feature_list.on_dropdown = [this] { sounds_.PlayMenuSound(); };
  question_list.on_click = [this] { Picked(question_list, HelpQuestions()); };
  feature_list.on_click = [this] { Picked(feature_list, HelpFeatures()); };
  SetTabOrder({&question_list, &feature_list, &description_box});
}

void HelpTopicsWindow::OnLoad() { MakeTopmost(windows_, *this); }

void HelpTopicsWindow::Picked(const ComboBox& list, std::span<const HelpTopic> topics) {
  sounds_.PlayClickSound();
  if (const HelpTopic* topic = FindHelpTopic(topics, list.Text()))
    description_box.SetText(std::string(topic->text));
}

void HelpTopicsWindow::Close() {
  sounds_.PlayClickSound();
  SetWindowState(1);  // minimised first, then gone
  Unload();
}

}  // namespace pelkrin

// The help texts: the questions of the Help topics window's FAQ list and the features of its
// feature list, each in list order with the text the description box shows for it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pelkrin {

struct HelpTopic {
  std::string_view entry;  // as the list shows it
  std::string_view text;   // what the description box shows
};

std::span<const HelpTopic> HelpQuestions();
std::span<const HelpTopic> HelpFeatures();

// The text of the entry that is exactly `entry` in `topics`; nullptr for any other text.
const HelpTopic* FindHelpTopic(std::span<const HelpTopic> topics, std::string_view entry);

}  // namespace pelkrin

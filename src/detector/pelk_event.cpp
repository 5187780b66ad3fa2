#include "detector/pelk_event.h"

#include <utility>

namespace pelkrin {

PelkEventHandler::PelkEventHandler(Parts parts, Links links)
    : parts_(parts), links_(std::move(links)) {}

std::string PelkEventHandler::HistoryEntry(const std::string& short_caption) {
  return parts_.events.ShortDate() + " " + parts_.text_case.Lower(parts_.events.TimeText()) +
         " : " + short_caption;
}

void PelkEventHandler::TakeRecord(PelkRecord pelk) {
  links_.history.ForgetHiddenPopup();
  next_record_ = std::move(pelk);
}

void PelkEventHandler::SetAddress(std::uint64_t serial, std::optional<std::string> address) {
  if (next_record_ && next_record_->serial == serial) {
    next_record_->address = std::move(address);
  } else {
    links_.history.SetAddress(serial, std::move(address));
  }
}

void PelkEventHandler::Run(const std::string& caption) {
  std::optional<PelkRecord> record = std::exchange(next_record_, std::nullopt);
  if (caption.empty()) return;
  if (!record || record->short_caption != caption) {
    record.emplace();  // raised without a record: the entry knows only its caption
    record->short_caption = caption;
  }
  if (links_.home_page_check) links_.home_page_check();
  // The boxes are read once the home page check is done: its message box lets the user change
  // them meanwhile.
  const PelkOptions options = links_.options();
  if (options.keep_history) links_.history.AddEntry(HistoryEntry(caption), std::move(*record));
  // An empty path would stop a sound that is playing, and play nothing.
  const bool sound = options.play_sound && !options.sound_file.empty();
  if ((sound || options.animate_tray) && (!links_.show_turn || links_.show_turn())) {
    if (sound) parts_.sounds.PlayFile(options.sound_file);
    if (options.animate_tray) links_.animation.Start();
  }
}

}  // namespace pelkrin

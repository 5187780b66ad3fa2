// The pelk event and the tray animation, on the whole program over the simulated desktop: what
// one pelked popup leaves behind, as the Options window's boxes say at that moment. (The
// detector's tests prove when it is raised.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::InFolder;
using testing::SimApp;

constexpr unsigned kAsyncNoDefault = 3;

// A start with a sound device, the pop sound next to the program and these settings.
void StartApp(SimApp& p, const std::string& settings) {
  p.desktop.sound.SetDeviceCount(1);
  p.desktop.files.Put(InFolder("pop.wav"), "RIFF");
  p.Start(settings);
}

// The pelk sounds played so far (the interface sounds are .sys files).
std::vector<std::string> PelkSounds(SimApp& p) {
  std::vector<std::string> played;
  for (const auto& call : p.desktop.sound.Plays()) {
    if (call.path.ends_with(".sys")) continue;
    EXPECT_EQ(call.flags, kAsyncNoDefault) << call.path;
    played.push_back(call.path);
  }
  return played;
}

struct PelkEventTest : ::testing::Test {
  void Start(const std::string& settings = "") { StartApp(p, settings); }
  std::vector<std::string> PelkSounds() { return pelkrin::PelkSounds(p); }
  Picture Icon(int id) { return p.desktop.pictures.LoadIcon(id); }

  SimApp p;
};

TEST_F(PelkEventTest, EveryPelkGetsItsEntryButTheSoundStartsAtMostOncePer600Ms) {
  Start("PLAY_SOUND=1\r\n");
  p.Pelk("First offer");
  p.Pelk("Second offer");
  p.desktop.events.Advance(599);
  p.Pelk("Third offer");
  const std::string pop = "c:\\program files\\pelkrin\\pop.wav";  // the default, lower case
  EXPECT_EQ(PelkSounds(), std::vector<std::string>{pop})
      << "popups are hidden as fast as they come, but heard at most once per 600 ms";
  p.desktop.events.Advance(1);
  p.Pelk("Fourth offer");
  EXPECT_EQ(PelkSounds(), (std::vector<std::string>{pop, pop}));
  p.Pelk("");  // a popup titled by the browser's suffix alone: nothing to record
  EXPECT_EQ(p->history_window.entry_list.ListCount(), 4);
}

TEST_F(PelkEventTest, EachBoxRulesItsOwnEffectAloneAsItIsNowSavedOrNot) {
  Start("KEEP_HISTORY=0\r\nPLAY_SOUND=0\r\nANIMATE_TRAY=0\r\n");
  OptionsWindow& options = p->options_window;
  HistoryWindow& history = p->history_window;
  // Each pelk 600 ms after the one before, so that each may be heard and seen.
  const auto pelk = [&](int entries, std::size_t sounds, bool animation) {
    p.desktop.events.Advance(600);
    p.Pelk("Offer");
    EXPECT_EQ(history.entry_list.ListCount(), entries);
    EXPECT_EQ(history.since_installation_count.Caption(), std::to_string(entries));
    EXPECT_EQ(PelkSounds().size(), sounds);
    EXPECT_EQ(p->main_window.animation_timer.Enabled(), animation);
  };
  pelk(0, 0, false);
  options.keep_history_box.UserClick();  // history on
  pelk(1, 0, false);
  options.keep_history_box.UserClick();  // history off again, and a sound instead
  options.play_sound_box.UserClick();
  options.sound_file_box.SetText("D:\\Sounds\\boing.wav");
  p.desktop.files.Put("D:\\Sounds\\boing.wav", "RIFF");
  pelk(1, 1, false);
  EXPECT_EQ(PelkSounds().back(), "D:\\Sounds\\boing.wav");
  options.sound_file_box.SetText("");  // no path plays nothing
  pelk(1, 1, false);
  options.play_sound_box.UserClick();  // the animation instead
  options.animate_tray_box.UserClick();
  pelk(1, 1, true);
  EXPECT_EQ(p.Setting("keep_history"), "0") << "nothing was saved";
}

TEST_F(PelkEventTest, TheAnimationShowsItsFourFramesOnceAndEndsOnTheIconOfThePelkingState) {
  Start();
  p.Pelk("Offer");
  std::vector<Picture> shown;
  for (int tick = 0; tick < 6; ++tick) {
    p.desktop.events.Advance(200);
    shown.push_back(p->main_window.tray_icon.Icon());
  }
  const Picture normal = Icon(IDI_NORMAL), one = Icon(IDI_ANIM1), two = Icon(IDI_ANIM2);
  EXPECT_EQ(shown, (std::vector<Picture>{one, two, one, normal, normal, normal}));
  EXPECT_FALSE(p->main_window.animation_timer.Enabled());
  // A second pelk during an animation does not start it again: one animation of four steps,
  // which the next pelk plays from its first frame.
  p.Pelk("First");
  p.desktop.events.Advance(300);  // one frame shown
  p.Pelk("Second");
  shown.clear();
  for (int tick = 0; tick < 5; ++tick) {
    p.desktop.events.Advance(200);
    shown.push_back(p->main_window.tray_icon.Icon());
  }
  EXPECT_EQ(shown, (std::vector<Picture>{two, one, normal, normal, normal}));
  p.Pelk("Another");
  p.desktop.events.Advance(200);
  EXPECT_EQ(p->main_window.tray_icon.Icon(), one);
  p.Choose("PelkPopups");  // off, during the animation: it ends on the icon that says so
  p.desktop.events.Advance(800);
  EXPECT_EQ(p->main_window.tray_icon.Icon(), Icon(IDI_PELK_OFF));
}

}  // namespace
}  // namespace pelkrin

// The pelk event and the tray animation, on the whole program over the simulated desktop: what
// one pelked popup leaves behind, as the Options window's boxes say at that moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "sim_browser.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::AddPopup;
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
  void Pelk(const std::string& caption) { p->main_window.Text2.SetText(caption); }
  std::vector<std::string> PelkSounds() { return pelkrin::PelkSounds(p); }
  Picture Icon(int id) { return p.desktop.pictures.LoadIcon(id); }

  SimApp p;
};

TEST_F(PelkEventTest, TwoPopupsOfOneSurveyLeaveTwoEntriesTwoCountsAndOneSound) {
  Start("PLAY_SOUND=1\r\nHISTORY_COUNT=807\r\n");
  p.desktop.events.SetTimeText("3:04:05 PM");
  AddPopup(p.desktop.windows, "First offer");
  AddPopup(p.desktop.windows, "Second offer");
  p.desktop.events.Advance(600 + 2 * 600 + 10);

  HistoryWindow& history = p->history_window;
  ASSERT_EQ(history.entry_list.ListCount(), 2);
  // Both popups are pelked in the same instant; which comes first depends on the path that
  // found them.
  std::vector<std::string> entries{history.entry_list.List(0), history.entry_list.List(1)};
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"06/12/2026 3:04:05 pm : First offer",
                                               "06/12/2026 3:04:05 pm : Second offer"}))
      << "date, blank, the time in lower case, \" : \", the short caption";
  EXPECT_EQ(history.since_startup_count.Caption(), "2");
  EXPECT_EQ(history.since_installation_count.Caption(), "809");
  const std::string pop = "c:\\program files\\pelkrin\\pop.wav";  // the default, lower case
  EXPECT_EQ(PelkSounds(), std::vector<std::string>{pop})
      << "the second popup is hidden at once, but its sound would start within 600 ms of the first";
  EXPECT_EQ(p->main_window.Text2.Text(), "");

  // A popup 600 ms after the last sound is heard again.
  p.desktop.events.Advance(600);
  AddPopup(p.desktop.windows, "Third offer");
  p.desktop.events.Advance(600 + 10);
  EXPECT_EQ(history.entry_list.ListCount(), 3);
  EXPECT_EQ(PelkSounds(), (std::vector<std::string>{pop, pop}));
}

TEST_F(PelkEventTest, EachOptionRulesItsOwnEffectAlone) {
  const struct {
    const char* settings;
    bool entry, sound, animation;
  } cases[] = {
      {"KEEP_HISTORY=1\r\nPLAY_SOUND=0\r\nANIMATE_TRAY=0\r\n", true, false, false},
      {"KEEP_HISTORY=0\r\nPLAY_SOUND=1\r\nANIMATE_TRAY=0\r\n", false, true, false},
      {"KEEP_HISTORY=0\r\nPLAY_SOUND=0\r\nANIMATE_TRAY=1\r\n", false, false, true},
      {"KEEP_HISTORY=0\r\nPLAY_SOUND=0\r\nANIMATE_TRAY=0\r\n", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings);
    SimApp q;
    StartApp(q, c.settings);
    q->main_window.Text2.SetText("Offer");
    EXPECT_EQ(q->history_window.entry_list.ListCount(), c.entry ? 1 : 0);
    EXPECT_EQ(q->history_window.since_startup_count.Caption(), c.entry ? "1" : "0");
    EXPECT_EQ(q->history_window.since_installation_count.Caption(), c.entry ? "1" : "0");
    EXPECT_EQ(pelkrin::PelkSounds(q).size(), c.sound ? 1u : 0u);
    EXPECT_EQ(q->main_window.Timer1.Enabled(), c.animation);
    EXPECT_EQ(q->main_window.Text2.Text(), "");
  }
}

TEST_F(PelkEventTest, TheBoxesCountAsTheyAreNowSavedOrNot) {
  Start();
  p->options_window.keep_history_box.UserClick();  // history off, not saved
  p->options_window.play_sound_box.UserClick();    // sound on, not saved
  p->options_window.sound_file_box.SetText("D:\\Sounds\\boing.wav");
  p.desktop.files.Put("D:\\Sounds\\boing.wav", "RIFF");
  Pelk("Offer");
  EXPECT_EQ(p->history_window.entry_list.ListCount(), 0);
  EXPECT_EQ(p->history_window.since_installation_count.Caption(), "0");
  EXPECT_EQ(PelkSounds(), std::vector<std::string>{"D:\\Sounds\\boing.wav"});
  EXPECT_EQ(p.Setting("keep_history"), "1");
}

TEST_F(PelkEventTest, NoPathPlaysNothing) {
  Start("PLAY_SOUND=1\r\n");
  p->options_window.sound_file_box.SetText("");
  Pelk("Offer");
  EXPECT_TRUE(PelkSounds().empty());
  EXPECT_EQ(p->history_window.since_startup_count.Caption(), "1") << "the history goes on";
}

TEST_F(PelkEventTest, TheAnimationShowsItsFourFramesAndEndsOnTheIconOfThePelkingState) {
  Start();
  Pelk("Offer");
  std::vector<Picture> shown;
  for (int tick = 0; tick < 6; ++tick) {
    p.desktop.events.Advance(200);
    shown.push_back(p->main_window.SysTray.Icon());
  }
  const Picture normal = Icon(IDI_NORMAL), one = Icon(IDI_ANIM1), two = Icon(IDI_ANIM2);
  EXPECT_EQ(shown, (std::vector<Picture>{one, two, one, normal, normal, normal}));
  EXPECT_FALSE(p->main_window.Timer1.Enabled());
  EXPECT_EQ(p->main_window.Text1.Text(), "1");
  Pelk("Another");
  p.desktop.events.Advance(200);
  p.Choose("PelkPopups");  // off, during the animation: it ends on the icon that says so
  p.desktop.events.Advance(800);
  EXPECT_EQ(p->main_window.SysTray.Icon(), Icon(IDI_PELK_OFF));
}

TEST_F(PelkEventTest, ASecondPelkDuringTheAnimationDoesNotStartItAgain) {
  Start();
  Pelk("First");
  p.desktop.events.Advance(300);  // one frame shown
  Pelk("Second");
  const Picture normal = Icon(IDI_NORMAL);
  int frames = 1;
  for (int tick = 0; tick < 10 && p->main_window.SysTray.Icon() != normal; ++tick) {
    p.desktop.events.Advance(200);
    ++frames;
  }
  EXPECT_EQ(frames, 4) << "one animation of four steps";
  p.desktop.events.Advance(1000);
  EXPECT_EQ(p->main_window.SysTray.Icon(), normal);
  EXPECT_FALSE(p->main_window.Timer1.Enabled());
}

}  // namespace
}  // namespace pelkrin

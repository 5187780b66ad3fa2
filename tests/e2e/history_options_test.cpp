// The History and Options windows of the running program seen from outside the process: the
// history list box after real pelks, the settings file, the Run key and the real file-open dialog.
#include "pelk_fixture.h"

namespace pelkrin::e2e {
namespace {

std::optional<std::string> RunValue(HKEY root) {
  return ReadRegistryValue(root, kRunKeyPath, "Pelkrin");
}

using PelkrinWindows = PelkrinTest;

// Each pelked popup is an entry of the History window on real windows, and the count reaches the
// file at the exit. The right button opens an entry's menu at the entry, "Allow this &site" saves
// the domain list at once, and "&Reopen" on an earlier entry, whose popup is closed, starts the
// system's browser (Wine's own Internet Explorer, through its App Paths entry) with the address.
TEST_F(PelkrinWindows, PelkedPopupsAreEntriesWhoseMenuAllowsTheSiteAtOnceAndReopensInTheBrowser) {
  // The exit asks nothing, so that the test can end the program the normal way.
  ASSERT_NO_FATAL_FAILURE(Begin({{"pk.sys", "[pk]\r\nCLOSE_DLG=0\r\nHISTORY_COUNT=0\r\n"}}, true));
  // The window is open before the pelks: under Wine, one that has only just shown can still be
  // raised above the menu it opens.
  HWND list = VisibleChild(ShowForm(kCmdStatsMenu, "Pelkrin - History"), "ListBox");
  ASSERT_NE(list, nullptr);
  const OpenedWindow first = Open(Popup("Offer 1", "http://ads.example.net/first"));
  ASSERT_TRUE(WaitHidden(first.hwnd, "the first popup"));
  Screenshot("tray-animation");  // the icon animates for 800 ms after each pelk
  Open(Popup("Offer 2", "http://ads.example.org/second"));
  ASSERT_TRUE(WaitGone(first.hwnd, "the first popup"));
  RightClickAt(list, EntryPoint(list, 1));
  HWND menu = WaitForMenu(Pid());
  ASSERT_NE(menu, nullptr);
  ScreenshotWhenStable("history-entry-menu");
  ChooseByLetter(menu, 'S');  // "Allow this &site"
  ExpectFile("alwdom.sys", "ads.example.org\r\n");
  const OpenedWindow allowed = Open(Popup("Offer 3", "http://ads.example.org/third"));
  AwaitSurvey();
  EXPECT_TRUE(IsVisible(allowed.hwnd)) << "from an allowed site now";

  // The keys move the selection without the removal question; Shift+F10 opens the menu there.
  PressKey(list, VK_UP);
  ::PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  ASSERT_NE(menu = WaitForMenu(Pid()), nullptr);
  ChooseByLetter(menu, 'R');  // "&Reopen", the first of the two items under R
  HWND browser = WaitForTopLevelWindow(
      0,
      [&](HWND window) {
        return ClassNameOf(window) == "IEFrame" && ProcessIdOf(window) != ProcessIdOf(allowed.hwnd);
      },
      "Internet Explorer");
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(WaitFor(
      [&] { return VisibleChild(browser, "Edit", "http://ads.example.net/first") != nullptr; },
      kDefaultDeadlineMs, "the first popup's address in Internet Explorer"));
  AwaitSurvey();
  EXPECT_TRUE(IsVisible(browser)) << "an ordinary browser window is left alone";
  EXPECT_TRUE(EndProcessOf(browser));
  EXPECT_EQ(FindTopLevelWindow(Pid(), "#32770", "Pelkrin History"), nullptr)
      << "no removal question";

  // Two popups and two sentinels: Wine hands another process's LB_GETTEXT no text, so the
  // entries are measured: each holds the date, a blank, a time, " : " and the popup's caption.
  ASSERT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
  const std::size_t least = TodayShortDate().size() + 1 + 4 + std::string(" : Offer 1").size();
  for (int i = 0; i < 4; ++i)
    EXPECT_GE(::SendMessageA(list, LB_GETTEXTLEN, i, 0), static_cast<LRESULT>(least)) << i;
  ASSERT_TRUE(PostCommand(main_window, kCmdExitMenu));
  ASSERT_TRUE(copy->process().WaitForExit());
  EXPECT_TRUE(SettingsHold("HISTORY_COUNT=4"));
}

TEST_F(PelkrinWindows, OptionsSaveTheirBoxesAndTheSoundPickedInTheRealDialogAndRunFollowsAtOnce) {
  RemoveStartupEntries();
  ASSERT_NO_FATAL_FAILURE(Begin({{"quiet.wav", "RIFF"}}));
  ASSERT_TRUE(WaitFor([&] { return RunValue(HKEY_LOCAL_MACHINE) == copy->exe_path(); },
                      kDefaultDeadlineMs, "the start-up entry"))
      << RunValue(HKEY_LOCAL_MACHINE).value_or("<none>");
  HWND form = ShowForm(kCmdOptionsMenu, "Pelkrin - Options");
  ASSERT_NE(form, nullptr);
  ScreenshotWhenStable("options-window");
  // The boxes in creation order: sound, animate, history, Windows, enable, dialogue, cookies.
  const auto box = [&](int n) {
    HWND found = nullptr;
    for (int i = 0; i <= n; ++i) found = ::FindWindowExA(form, found, "Button", nullptr);
    return found;
  };
  HWND animate = box(1);
  HWND with_windows = box(3);
  ASSERT_TRUE(Checked(animate));
  Click(animate);
  ASSERT_TRUE(WaitFor([&] { return !Checked(animate); }, kDefaultDeadlineMs, "the box to clear"));
  Click(with_windows);
  EXPECT_TRUE(WaitFor([] { return !RunValue(HKEY_LOCAL_MACHINE).has_value(); }, kDefaultDeadlineMs,
                      "the Run value to go, before Save"));

  Click(RainButton(form, "&Browse"));
  HWND dialog = WaitForMessageBox("Pelkrin - Select a wave file...", kDefaultDeadlineMs, Pid());
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(::GetWindow(dialog, GW_OWNER) == form && !::IsWindowEnabled(form)) << "modal";
  // A name typed into the dialog's file name box (a combo box, or a plain edit box), then Open.
  HWND name = ::GetDlgItem(dialog, 0x47c);
  if (name == nullptr) name = ::GetDlgItem(dialog, 0x480);
  ASSERT_NE(name, nullptr);
  std::string sound = copy->Path("quiet.wav");
  ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sound.c_str()));
  PressButton(dialog, IDOK);
  HWND text = ::FindWindowExA(form, nullptr, "Edit", nullptr);
  EXPECT_TRUE(WaitFor([&] { return ReadText(text) == sound; }, kDefaultDeadlineMs,
                      "the chosen file in the box"))
      << ReadText(text).value_or("<none>");

  Click(RainButton(form, "&Save"));
  EXPECT_EQ(Answer("Pelkrin", IDOK), "Settings saved successfully.");
  EXPECT_TRUE(SettingsHold("ANIMATE_TRAY=0"));
  EXPECT_TRUE(SettingsHold("START_WITH_WINDOWS=0"));
  ::CharLowerBuffA(sound.data(), static_cast<DWORD>(sound.size()));
  EXPECT_TRUE(SettingsHold("SOUND_FILE=" + sound + "\r\n"));
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER).has_value());
}

}  // namespace
}  // namespace pelkrin::e2e

// The process's folders and names, the sound device, and pictures from the program's resources.
#include <string>

#include "contract.h"

namespace pelkrin::contract {
namespace {

TEST_P(SystemContract, FoldersComeWithoutTrailingBackslashAndNamesWithoutExtension) {
  Process& process = world().process();
  for (const std::string& folder : {process.ProgramFolder(), process.WindowsFolder()}) {
    ASSERT_GE(folder.size(), 3u) << folder;
    EXPECT_EQ(folder[1], ':') << folder;
    EXPECT_NE(folder.back(), '\\') << folder;
  }
  const std::string base = process.ProgramBaseName();
  EXPECT_FALSE(base.empty());
  EXPECT_EQ(base.find_first_of(".\\/:"), std::string::npos) << base;
}

TEST_P(SystemContract, WhatIsNotThereIsNeitherPlayedNorLoaded) {
  const std::string missing = world().process().ProgramFolder() + "\\missing sound.wav";
  EXPECT_FALSE(world().sound().Play(missing, kSndNoDefault));
  world().sound().WaveOutDeviceCount();  // answers, with or without a device
  for (const int not_an_icon : {0, -1, 0x7FFF, 0x10000})
    EXPECT_EQ(world().pictures().LoadIcon(not_an_icon), Picture{}) << not_an_icon;
}

}  // namespace
}  // namespace pelkrin::contract

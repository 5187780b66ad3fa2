// Saving a file that another program is reading at that moment (a virus scanner, a backup, a
// test polling it): the save waits a moment for the reader instead of failing.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace pelkrin::win32 {
namespace {

TEST(Win32ReplaceFileTest, AReaderThatHoldsTheFileForAMomentDoesNotLoseTheSave) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string path =
      std::string(temp) + "PelkrinReplace" + std::to_string(::GetCurrentProcessId()) + ".sys";
  Win32FileSystem files;
  ASSERT_TRUE(files.ReplaceFile(path, "old\r\n"));

  // Opened the way a polite reader opens it, and held for 150 ms.
  HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::thread release([reader] {
    ::Sleep(150);  // how long the other program holds the file
    ::CloseHandle(reader);
  });
  const bool saved = files.ReplaceFile(path, "new\r\n");
  release.join();
  EXPECT_TRUE(saved);
  EXPECT_EQ(files.ReadFile(path), (FileContents{"new\r\n"}));
  files.DeleteFile(path);
}

}  // namespace
}  // namespace pelkrin::win32

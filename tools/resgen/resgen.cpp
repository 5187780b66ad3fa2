// resgen: draws Pelkrin's icons and cursors and synthesises its sounds into a folder.
//
//   resgen OUTPUT_FOLDER
//
// The build runs it on the build machine; the files it writes are compiled into pelkrin.exe or
// laid out beside it. The output is the same, byte for byte, on every run.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "outputs.h"

namespace {

namespace fs = std::filesystem;
using pelkrin::resgen::Bytes;

// Writes a whole file or nothing: the bytes go to a temporary file that replaces the target only
// once it is complete, so a failed or interrupted run never leaves a truncated icon or sound.
bool WriteFileWhole(const fs::path& path, const Bytes& bytes, std::string& error) {
  const fs::path temporary = fs::path(path).concat(".part");
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      error = "cannot write " + temporary.string();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (ec) {
    error = "cannot replace " + path.string() + ": " + ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: resgen OUTPUT_FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[1];
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "resgen: cannot create %s: %s\n", folder.string().c_str(),
                 ec.message().c_str());
    return 1;
  }
  try {
    for (const auto& output : pelkrin::resgen::AllOutputs()) {
      std::string error;
      if (!WriteFileWhole(folder / output.name, output.make(), error)) {
        std::fprintf(stderr, "resgen: %s\n", error.c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "resgen: %s\n", e.what());
    return 1;
  }
  return 0;
}

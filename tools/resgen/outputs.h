// Every file the resource generator writes, by name, with the code that produces its bytes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "artwork.h"
#include "formats.h"
#include "sounds.h"

namespace pelkrin::resgen {

struct Output {
  std::string name;
  std::function<Bytes()> make;
};

inline std::vector<Image> AtSizes(const std::function<Image(int)>& draw, std::vector<int> sizes) {
  std::vector<Image> images;
  for (int size : sizes) images.push_back(draw(size));
  return images;
}

inline std::vector<Output> AllOutputs() {
  const std::vector<int> tray_sizes{16, 32, 48};
  const std::vector<int> button_sizes{20, 16};
  auto can = [](TrashCanLook look) { return [=](int size) { return TrashCanImage(size, look); }; };
  return {
      {"normal.ico", [=] { return EncodeIcon(AtSizes(EmblemImage, tray_sizes)); }},
      {"anim1.ico", [=] { return EncodeIcon(AtSizes(can({}), tray_sizes)); }},
      {"anim2.ico", [=] { return EncodeIcon(AtSizes(can({.open = true}), tray_sizes)); }},
      {"pelk_off.ico", [=] { return EncodeIcon(AtSizes(EmblemOffImage, tray_sizes)); }},
      {"chopper.ico", [=] { return EncodeIcon(AtSizes(ChopperImage, button_sizes)); }},
      {"trash.ico", [=] { return EncodeIcon(AtSizes(can({}), button_sizes)); }},
      {"close_mark.cur",
       [] { return EncodeCursor({CloseMarkCursorImage()}, {kCloseMarkHotspot}); }},
      {"button_hand.cur",
       [] { return EncodeCursor({ButtonHandCursorImage()}, {kButtonHandHotspot}); }},
      {"click.sys", [] { return EncodeWav(ClickSound()); }},
      {"barble.sys", [] { return EncodeWav(BarbleSound()); }},
      {"menu.sys", [] { return EncodeWav(MenuSound()); }},
      {"pop.wav", [] { return EncodeWav(PopSound()); }},
  };
}

}  // namespace pelkrin::resgen

#pragma once

namespace kobanto {

// How many bits per pixel a picture is decoded into: 8 (palette) on displays of 8 bits or fewer,
// 24 (RGB) otherwise. Fixed once when the program starts, before any picture exists.
enum class DecodeDepth { k8 = 8, k24 = 24 };

// What the program learnt of the display at start: its bits per pixel times its colour planes.
// Without a display it counts as 32 bits.
struct DisplayFormat {
  int depth = 32;

  DecodeDepth Decode() const { return depth <= 8 ? DecodeDepth::k8 : DecodeDepth::k24; }
};

}  // namespace kobanto

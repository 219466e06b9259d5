#pragma once

namespace kobanto {

class Tsetting;
class Thenkan;

// The program-wide references to the two windows, each set as soon as its creation begins.
struct Forms {
  Tsetting* setting = nullptr;
  Thenkan* henkan = nullptr;
};

}  // namespace kobanto

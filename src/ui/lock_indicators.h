#pragma once

#include <optional>
#include <string>

namespace ruvo {

// The lock keys' states as the keyboard LEDs report them; nullopt where no LED exposes one.
struct LockStates {
  std::optional<bool> caps;
  std::optional<bool> num;
  std::optional<bool> scroll;
};

// Reads the LEDs under ledsFolder (entries such as "input3::capslock" holding a "brightness"
// file). A lock counts as on when any keyboard's LED is lit.
LockStates ReadLockStates(const std::string& ledsFolder = "/sys/class/leds");

}  // namespace ruvo

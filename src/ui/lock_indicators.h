#pragma once

#include <optional>

namespace ruvo {

// The lock keys' states as the windowing system reports them; nullopt where it reports none.
struct LockStates {
  std::optional<bool> caps;
  std::optional<bool> num;
  std::optional<bool> scroll;
};

// Reads the keyboard's Caps, Num and Scroll Lock indicators from the X server (XKB's named
// indicators). Elsewhere (Wayland, offscreen, a build without X11) nothing can be read.
LockStates ReadLockStates();

}  // namespace ruvo

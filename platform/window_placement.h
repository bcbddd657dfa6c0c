// Where a window goes on the screen: the one placement rule that every backend follows.
#pragma once

#include <algorithm>

#include "platform/platform.h"

namespace platform {

// The outer rectangle (frame included) of a window of `spec` with `frame`:
// 1. the place asked for: centred on `screen` (the outer size clipped to the
//    screen for the centring) or the outer top-left corner at (x, y);
// 2. kept where the whole window lies inside `available`;
// 3. otherwise moved the least so that it does; along a side where the
//    window is larger than the area, its left or top edge goes to the
//    area's, so that the title bar and the top-left part stay reachable.
// An empty `available` stands for the whole screen.
inline ScreenRect PlaceWindow(const WindowSpec& spec, ScreenRect screen, ScreenRect available,
                              FrameExtents frame) {
  const int outerWidth = spec.clientWidth + frame.left + frame.right;
  const int outerHeight = spec.clientHeight + frame.top + frame.bottom;
  ScreenRect outer{spec.x, spec.y, outerWidth, outerHeight};
  if (spec.centred) {
    outer.x = screen.x + (screen.width - std::min(outerWidth, screen.width)) / 2;
    outer.y = screen.y + (screen.height - std::min(outerHeight, screen.height)) / 2;
  }
  if (available.width <= 0 || available.height <= 0) available = screen;
  if (available.width <= 0 || available.height <= 0) return outer;
  const auto fit = [](int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength) return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
  };
  outer.x = fit(outer.x, outerWidth, available.x, available.width);
  outer.y = fit(outer.y, outerHeight, available.y, available.height);
  return outer;
}

}  // namespace platform

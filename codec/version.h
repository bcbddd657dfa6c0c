// The program's version text, shared by the desktop program and letterloom-cli.
#pragma once

namespace codec {

// The text the desktop program shows as its VersionString.
inline constexpr char kVersionText[] = "2.0 beta6";

}  // namespace codec

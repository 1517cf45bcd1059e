#pragma once

namespace settings {

// The two editor frames of the "Group && Area" tab, in twips. The area frame has one row more
// than it was first drawn with, for an area's key: the buttons at the bottom of both frames move
// down by that row.
inline constexpr double kKeyRowTop = 3690;
inline constexpr double kRowAdded = 330;
inline constexpr double kBottomButtonsTop = 3840 + kRowAdded;
inline constexpr double kFrameTop = 360;
inline constexpr double kFrameHeight = 4335 + kRowAdded;

} // namespace settings

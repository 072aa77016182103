#pragma once
// Who made the tool and where its guide lives: shown in the About box, the
// Tips text and the header of every generated program. UTF-8.

inline constexpr const char* kAppVersionText = "Zoetrix 1.3.3 版";
inline constexpr const char* kMakerLine = "Zoetrix 开发组 出品";
// The guide ships beside the tool; the address is relative to its folder.
inline constexpr const char* kWebsiteAddress = "help/index.html";

#pragma once

#include <windows.h>

#include <string>

namespace par {

// Codes of the active Windows visual style.
constexpr int VISUAL_STYLE_NONE = -1;
constexpr int VISUAL_STYLE_LUNA_NORMAL = 0;
constexpr int VISUAL_STYLE_LUNA_METALLIC = 1;
constexpr int VISUAL_STYLE_LUNA_HOMESTEAD = 2;
constexpr int VISUAL_STYLE_AERO = 128;

// The active style: Aero, one of Luna's colour schemes, or none (also for
// any other style and when the theme cannot be asked).
int classifyVisualStyle();
// The same for a theme file path and colour scheme name.
int classifyVisualStyle(const std::wstring& themeFile, const std::wstring& colorName);

// Text and background colours that suit the taskbar of the active style.
bool visualStyleTextColor(COLORREF* out);
bool visualStyleBackgroundColor(COLORREF* out);

} // namespace par

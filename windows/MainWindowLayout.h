#pragma once

#include <array>

#include "windows/Twips.h"

namespace vardelo::mainlayout {

/// The client area, in twips.
inline constexpr int Width = 9495;
inline constexpr int Height = 5055;

/// A picture button: its place, caption (UTF-8) and place in the tab order.
struct Button
{
    const char* name;
    TwipsRect place;
    const char* caption;
};

/// Left to right: New, Save, Print, Help, Close; this is also their tab order, after the document box.
inline constexpr std::array<Button, 5> Buttons {{
    {"Command4", {120, 120, 1335, 855}, "Новый"},
    {"Command2", {1560, 120, 1335, 855}, "Сохранить"},
    {"Command1", {3000, 120, 1335, 855}, "Распечатать"},
    {"Command5", {4440, 120, 1335, 855}, "Справка"},
    {"Command3", {5880, 120, 1335, 855}, "Закрыть"},
}};

inline constexpr TwipsRect Frame1 {7320, 120, 2055, 855};
inline constexpr const char* Frame1Caption = "Время";
/// Relative to Frame1.
inline constexpr TwipsRect Label1 {120, 240, 1815, 495};
inline constexpr TwipsRect Document {120, 1080, 9255, 3855};

inline constexpr std::array<TwipsLine, 5> Lines {{
    {"Line1", 0, 0, 0, 5040, 1},
    {"Line2", 0, 5040, 9480, 5040, 1},
    {"Line3", 0, 0, 9480, 0, 1},
    {"Line4", 9480, 0, 9480, 5040, 1},
    {"Line5", 0, 0, 9480, 0, 2},
}};

} // namespace vardelo::mainlayout

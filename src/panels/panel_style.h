// The look of the panels: the colours of faces, bevels, text and fields. The
// sixteen panel colours are the first entries of the display palette too.
#pragma once

#include <array>

#include "panels/surface.h"

namespace kalvenor {

namespace panel_colour {
constexpr Colour kFace = rgb(192, 192, 192);      // panel and button face
constexpr Colour kLight = rgb(255, 255, 255);     // bevel light edge
constexpr Colour kShadow = rgb(128, 128, 128);    // bevel dark edge
constexpr Colour kDark = rgb(64, 64, 64);         // outer border
constexpr Colour kText = rgb(0, 0, 0);
constexpr Colour kSelected = rgb(0, 0, 128);      // selected button, tab or menu item
constexpr Colour kSelectedText = rgb(255, 255, 255);
constexpr Colour kField = rgb(255, 255, 255);     // editable field
constexpr Colour kStatus = rgb(224, 224, 224);    // the status line
constexpr Colour kMapBack = rgb(0, 0, 0);         // the map area outside the landscape
constexpr Colour kProgress = rgb(0, 96, 192);     // the progress bar
} // namespace panel_colour

// The sixteen panel colours, in the order the display palette holds them (entries 0 to 15).
constexpr std::array<Colour, 16> kPanelColours = {
    rgb(0, 0, 0),       rgb(0, 0, 128),     rgb(0, 128, 0),     rgb(0, 128, 128),
    rgb(128, 0, 0),     rgb(128, 0, 128),   rgb(128, 128, 0),   rgb(192, 192, 192),
    rgb(128, 128, 128), rgb(0, 0, 255),     rgb(0, 255, 0),     rgb(0, 255, 255),
    rgb(255, 0, 0),     rgb(255, 0, 255),   rgb(255, 255, 0),   rgb(255, 255, 255),
};

// The status line: help texts and progress at (8, 536), one line of 16 pixels.
constexpr int kStatusX = 8;
constexpr int kStatusY = 536;

} // namespace kalvenor

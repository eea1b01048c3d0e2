// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <array>

namespace orlenta {

// The controls of the main window by their ids.
enum ControlId : int {
  kHelpButtonId = 1013,
  kLogListId = 1015,
  kSettingsButtonId = 1016,
  kLanguageButtonId = 1017,
  kExitButtonId = 1018,
  kStartButtonId = 1019,
  kDriveTreeId = 1020,
  kProgressBarId = 1021,
  kStopButtonId = 1022,
};

// Where a control sits, in dialog units (x, y, width, height).
struct ControlPlace {
  ControlId id;
  QRect dialogUnits;
};

// The main window's layout as it was drawn: the client area and the nine controls.
inline constexpr QSize kClientDialogUnits{421, 246};
inline constexpr std::array<ControlPlace, 9> kControlPlaces = {{
    {kDriveTreeId, {45, 63, 119, 175}},
    {kLogListId, {170, 135, 194, 103}},
    {kProgressBarId, {174, 81, 161, 7}},
    {kStartButtonId, {223, 97, 32, 14}},
    {kStopButtonId, {238, 103, 30, 14}},
    {kHelpButtonId, {355, 92, 27, 14}},
    {kSettingsButtonId, {343, 68, 22, 13}},
    {kLanguageButtonId, {365, 114, 26, 14}},
    {kExitButtonId, {369, 139, 31, 14}},
}};

// Dialog units to pixels for the window's 8-point font at 96 dpi: a horizontal unit is
// 6/4 pixel, a vertical one 13/8, each coordinate rounded to the nearest pixel.
QRect DialogUnitsToPixels(const QRect& dialogUnits);
QSize DialogUnitsToPixels(const QSize& dialogUnits);

// The place of control `id` in pixels; an empty rectangle for an unknown id.
QRect ControlRect(ControlId id);

}  // namespace orlenta

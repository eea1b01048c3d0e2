// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialog_template.h"

namespace orlenta {
namespace {

constexpr int kBaseUnitX = 6;   // average character width of the 8-point font
constexpr int kBaseUnitY = 13;  // its character height

// value × numerator ÷ denominator, rounded half away from zero.
int ScaleRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

int HorizontalPixels(int units) {
  return ScaleRounded(units, kBaseUnitX, 4);
}
int VerticalPixels(int units) {
  return ScaleRounded(units, kBaseUnitY, 8);
}

}  // namespace

QRect DialogUnitsToPixels(const QRect& dialogUnits) {
  return {HorizontalPixels(dialogUnits.x()), VerticalPixels(dialogUnits.y()),
          HorizontalPixels(dialogUnits.width()), VerticalPixels(dialogUnits.height())};
}

QSize DialogUnitsToPixels(const QSize& dialogUnits) {
  return {HorizontalPixels(dialogUnits.width()), VerticalPixels(dialogUnits.height())};
}

QRect ControlRect(ControlId id) {
  for (const ControlPlace& place : kControlPlaces) {
    if (place.id == id) return DialogUnitsToPixels(place.dialogUnits);
  }
  return {};
}

}  // namespace orlenta

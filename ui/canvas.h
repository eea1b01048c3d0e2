// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace orlenta {

// A rectangle given by its edges, right and bottom exclusive, as the drawing code states
// its rectangles.
QRect EdgeRect(int left, int top, int right, int bottom);

// What fills an area: one colour, an 8 x 8 two-colour pattern (a set bit takes the
// canvas's background colour, a clear bit its text colour), or a picture repeated from the
// canvas's origin.
class Brush {
 public:
  static Brush Solid(QRgb color);
  static Brush Pattern8x8(const std::array<uint8_t, 8>& rows);
  static Brush Picture(const QImage& tile);

  // The colour this brush puts at (x, y), given the canvas's text and background colours.
  QRgb ColorAt(int x, int y, QRgb textColor, QRgb backColor) const;

 private:
  enum class Kind { kSolid, kPattern, kPicture };
  Kind kind_ = Kind::kSolid;
  QRgb color_ = 0;
  std::array<uint8_t, 8> rows_{};
  QImage tile_;
};

enum class FloodFillType { kBorder, kSurface };
enum class BackgroundMode { kTransparent, kOpaque };

// Text placement within its rectangle; always one line.
enum TextFlag : unsigned {
  kTextLeft = 0,
  kTextCenter = 1,
  kTextRight = 2,
  kTextTop = 0,
  kTextVCenter = 4,
  kTextBottom = 8,
  kTextNoPrefix = 0x800,  // show "&" as it stands instead of underlining the next character
};

// Pixel-exact drawing on an image with the classic rules our controls are drawn by: a line
// leaves out its last point, so that joined segments never paint a corner twice; a
// polyline runs each segment from where the last one ended; everything is clipped to the
// image. Colours are opaque RGB values.
class Canvas {
 public:
  // Draws on `target`, which must outlive the canvas; it is converted to 32-bit RGB.
  explicit Canvas(QImage& target);

  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }

  // The colour at (x, y), or nothing outside the image.
  std::optional<QRgb> GetPixel(int x, int y) const;
  // Sets (x, y) to `color`; nothing outside the image.
  void SetPixel(int x, int y, QRgb color);

  // The solid, one-pixel pen that lines are drawn with.
  void SelectPen(QRgb color) { pen_ = color; }
  QRgb Pen() const { return pen_; }
  void MoveTo(int x, int y) { position_ = {x, y}; }
  QPoint CurrentPosition() const { return position_; }
  // Draws from the current position to (x, y), leaving (x, y) out; it becomes the
  // current position.
  void LineTo(int x, int y);
  // A line from `from` to `to`, without `to`.
  void Line(QPoint from, QPoint to);
  // Segments through all points in turn; the last point is left out, the inner ones are
  // drawn once. Fewer than two points draw nothing.
  void Polyline(std::span<const QPoint> points);

  // Fills `rect` with `brush`.
  void FillRect(const QRect& rect, const Brush& brush);

  // Copies the `size` area of `source` at `sourceTopLeft` to `destination` unchanged; parts
  // that fall outside either image are left out. A one-bit source shows its clear bits in
  // the text colour and its set bits in the background colour.
  void CopyBits(QPoint destination, QSize size, const QImage& source, QPoint sourceTopLeft);
  // Copies `sourceRect` of `source` into `destination`, stretched or shrunk by picking the
  // nearest source pixel.
  void StretchBits(const QRect& destination, const QImage& source, const QRect& sourceRect);

  // From (x, y) fills with `brush` the four-connected area of pixels that are not
  // `color` (kBorder) or that are `color` (kSurface). False, with nothing filled, when the
  // start point is outside the image or does not qualify.
  bool ExtFloodFill(int x, int y, QRgb color, FloodFillType type, const Brush& brush);
  // Fills the area bounded by `borderColor`.
  bool FloodFill(int x, int y, QRgb borderColor, const Brush& brush) {
    return ExtFloodFill(x, y, borderColor, FloodFillType::kBorder, brush);
  }

  // The one-pixel sunken frame around `rect`: 3-D shadow along the top and left, 3-D
  // highlight along the bottom and right (which also take the two far corners).
  void DrawSunkenOuterEdge(const QRect& rect);

  void SetTextColor(QRgb color) { textColor_ = color; }
  QRgb TextColor() const { return textColor_; }
  void SetBackgroundColor(QRgb color) { backColor_ = color; }
  QRgb BackgroundColor() const { return backColor_; }
  void SetBackgroundMode(BackgroundMode mode) { backMode_ = mode; }
  void SelectFont(const QFont& font) { font_ = font; }
  const QFont& Font() const { return font_; }

  // One line of `text` in `rect`, placed by `flags`; "&x" underlines x and "&&" shows one
  // "&" unless kTextNoPrefix is given. Opaque mode first fills the text's box with the
  // background colour.
  void DrawText(const QString& text, const QRect& rect, unsigned flags);

 private:
  void Plot(int x, int y, QRgb color);

  QImage& image_;
  QRgb pen_ = qRgb(0, 0, 0);
  QPoint position_{0, 0};
  QRgb textColor_ = qRgb(0, 0, 0);
  QRgb backColor_ = qRgb(255, 255, 255);
  BackgroundMode backMode_ = BackgroundMode::kOpaque;
  QFont font_;
};

}  // namespace orlenta

#pragma once

#include <QIcon>

class QPainter;
class QRectF;

namespace pelmar {

// Pelmar's mark: a handset with a message bubble. `box` is ten units tall and eleven wide; the
// bubble reaches a fifth of a unit above it. desktop/pelmar.svg is the same drawing, for menus.
void drawHandsetMark(QPainter& p, const QRectF& box);

// The mark on a transparent square, for the window and the task bar. Drawn rather than loaded
// from the SVG, which Qt would only read through its SVG plugin.
QIcon appIcon();

}  // namespace pelmar

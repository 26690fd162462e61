#pragma once

// The embossed title text of the main window and the About box: the text drawn in the
// button highlight colour one pixel down and right, in the button shadow colour one pixel
// up and left, and in the face colour on top, centred in its box (or from the box's
// top-left corner when it does not fit) and clipped to the box. GUI thread only.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;
class QPainter;

// Where the text starts: the box's corner moved by half the room left in each direction,
// truncated toward zero and never negative.
QPoint EmbossedTextOrigin(const QRect& box, const QSize& textSize);

// Draws text into box with painter; font, when given, is used for the text. The painter's
// font, pen, clipping and background mode are as before afterwards.
void DrawEmbossedText(QPainter& painter, const QRect& box, const QString& text,
                      const QColor& faceColour, const QFont* font);

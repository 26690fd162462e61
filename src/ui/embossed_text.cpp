#include "ui/embossed_text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

QPoint EmbossedTextOrigin(const QRect& box, const QSize& textSize) {
    const int dx = (box.width() - textSize.width()) / 2;
    const int dy = (box.height() - textSize.height()) / 2;
    return box.topLeft() + QPoint(dx < 0 ? 0 : dx, dy < 0 ? 0 : dy);
}

void DrawEmbossedText(QPainter& painter, const QRect& box, const QString& text,
                      const QColor& faceColour, const QFont* font) {
    const QPalette palette = QApplication::palette();
    const QColor highlight = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Dark);

    painter.save();
    if (font != nullptr) {
        painter.setFont(*font);
    }
    const QFontMetrics metrics(painter.font());
    const QRect measured = metrics.boundingRect(box, Qt::AlignLeft | Qt::AlignTop, text);
    const QRect placed(EmbossedTextOrigin(box, measured.size()), measured.size());

    painter.setClipRect(box);
    painter.setBackgroundMode(Qt::TransparentMode);
    const auto drawAt = [&](const QPoint& offset, const QColor& colour) {
        painter.setPen(colour);
        painter.drawText(placed.translated(offset), Qt::AlignLeft | Qt::AlignTop, text);
    };
    drawAt(QPoint(1, 1), highlight);
    drawAt(QPoint(-1, -1), shadow);
    drawAt(QPoint(0, 0), faceColour);
    painter.restore();
}

#include "ui/wizard_picture.h"

#include <QLinearGradient>
#include <QPainter>

QPixmap WizardPicture() {
    QPixmap picture(112, 232);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, picture.height());
    sky.setColorAt(0, QColor(40, 70, 140));
    sky.setColorAt(1, QColor(140, 180, 230));
    painter.fillRect(picture.rect(), sky);
    // A stack of pages, the top one showing a table of thumbnails.
    for (int i = 2; i >= 0; --i) {
        const QRectF sheet(22 + i * 6, 60 + i * 8, 60, 80);
        painter.setPen(QPen(QColor(60, 60, 60), 1));
        painter.setBrush(i == 0 ? QColor(255, 255, 255) : QColor(225, 225, 225));
        painter.drawRect(sheet);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(192, 0, 0));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            painter.drawRect(QRectF(28 + column * 17, 68 + row * 22, 13, 13));
        }
    }
    return picture;
}

#include "ui/colour_box.h"

#include <QColor>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>

#include "document/named_colours.h"
#include "ui/control_values.h"

namespace {

constexpr const char* kNoColour = "(none)";

QPixmap Swatch(int value) {
    QPixmap swatch(12, 12);
    swatch.fill(QColor::fromRgb(static_cast<QRgb>(value)));
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    return swatch;
}

}  // namespace

void FillColourBox(QComboBox* box) {
    box->clear();
    box->setEditable(true);
    // Typing a colour must not add it to the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItem(QString::fromLatin1(kNoColour), -1);
    for (const NamedColour& colour : kNamedColours) {
        box->addItem(QIcon(Swatch(colour.value)),
                     QString::fromLatin1(colour.name.data(), qsizetype(colour.name.size())),
                     colour.value);
    }
    box->setCurrentIndex(0);
}

void ShowColour(QComboBox* box, const std::string& text) {
    const QString wanted = QString::fromStdString(text);
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(wanted, Qt::CaseInsensitive)) {
            box->setCurrentIndex(i);
            return;
        }
    }
    box->setEditText(wanted);
}

void ReadColour(const QComboBox* box, std::string& member) {
    if (box->currentText() == QLatin1String(kNoColour)) {
        member.clear();
        return;
    }
    ReadText(box, member);
}

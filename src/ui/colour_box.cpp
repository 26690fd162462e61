#include "ui/colour_box.h"

#include <QColor>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>

#include "ui/control_values.h"

namespace {

constexpr const char* kNoColour = "(none)";

struct NamedColour {
    const char* name;
    int value;  // 0xRRGGBB
};

constexpr NamedColour kColours[] = {
    {"Aqua", 0x00FFFF},   {"Black", 0x000000}, {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF},
    {"Gray", 0x808080},   {"Green", 0x008000}, {"Lime", 0x00FF00},   {"Maroon", 0x800000},
    {"Navy", 0x000080},   {"Olive", 0x808000}, {"Purple", 0x800080}, {"Red", 0xFF0000},
    {"Silver", 0xC0C0C0}, {"Teal", 0x008080},  {"White", 0xFFFFFF},  {"Yellow", 0xFFFF00},
};

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
    for (const NamedColour& colour : kColours) {
        box->addItem(QIcon(Swatch(colour.value)), QString::fromLatin1(colour.name), colour.value);
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

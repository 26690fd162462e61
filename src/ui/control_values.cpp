#include "ui/control_values.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

#include "platform/format.h"
#include "platform/message_box.h"

void ShowText(QLineEdit* box, const std::string& member) {
    box->setText(QString::fromStdString(member));
}

void ReadText(const QLineEdit* box, std::string& member) {
    if (box->text() != QString::fromStdString(member)) {
        member = box->text().toStdString();
    }
}

void ReadText(const QComboBox* box, std::string& member) {
    if (box->currentText() != QString::fromStdString(member)) {
        member = box->currentText().toStdString();
    }
}

bool ReadIntInRange(QLineEdit* box, int min, int max, int& member) {
    bool ok = false;
    const int value = box->text().trimmed().toInt(&ok);
    if (ok && value >= min && value <= max) {
        member = value;
        return true;
    }
    ShowMessageBox(StringPrintf("Please enter an integer between %d and %d.", min, max),
                   MB_OK | MB_ICONEXCLAMATION);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    return false;
}

int CheckValue(const QAbstractButton* button) {
    return button->isChecked() ? 1 : 0;
}

void SetCheckValue(QAbstractButton* button, int value) {
    button->setChecked(value != 0);
}

int RadioSelection(const QButtonGroup* group) {
    return group->checkedId();
}

void SetRadioSelection(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id); button != nullptr && id != -1) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button ticked unless told otherwise for a moment.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        button->setChecked(false);
    }
    group->setExclusive(true);
}

#pragma once

// Moving values between a window's members and its controls, the same way in every
// dialog and page: texts keep their exact bytes unless the user changed them, numbers
// are checked against their range with the usual message, radio groups answer -1 when
// no button is selected. GUI thread only.

#include <QString>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;

// Shows member in box.
void ShowText(QLineEdit* box, const std::string& member);
// Takes the box's text into member, unless it still shows member (so bytes that are not
// UTF-8 pass through a page the user only looked at).
void ReadText(const QLineEdit* box, std::string& member);
// The same for an editable combo box's text.
void ReadText(const QComboBox* box, std::string& member);

// Reads an integer from min to max out of box into member. Anything else shows
// "Please enter an integer between MIN and MAX.", puts the focus on the box with its text
// selected, leaves member alone and returns false.
bool ReadIntInRange(QLineEdit* box, int min, int max, int& member);

// 1 when the check box or radio button is ticked, else 0.
int CheckValue(const QAbstractButton* button);
void SetCheckValue(QAbstractButton* button, int value);

// The id of the selected button of an exclusive group, or -1; selecting -1 (or an id no
// button has) clears the group.
int RadioSelection(const QButtonGroup* group);
void SetRadioSelection(QButtonGroup* group, int id);

#pragma once

// The colour boxes of the HTML Options page: editable drop-down lists holding "(none)"
// and the sixteen colour names of HTML 3.2, each item carrying its colour value as
// 0xRRGGBB ("(none)" carries -1). The user may also type any colour text, such as
// #FF8000. GUI thread only.

#include <string>

class QComboBox;

// Fills box with the list and selects "(none)".
void FillColourBox(QComboBox* box);

// Selects the first item that begins with text, ignoring case ("" selects "(none)");
// with no such item, text goes into the box's edit field.
void ShowColour(QComboBox* box, const std::string& text);

// The box's text into member, "(none)" becoming the empty text; a text the user left as
// it was shown keeps member's exact bytes.
void ReadColour(const QComboBox* box, std::string& member);

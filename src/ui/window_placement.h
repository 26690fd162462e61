#pragma once

// Where a window was left, as the one-line text kept under "Window Positions": the
// normal rectangle (left;top;right;bottom), the show state and flags in hexadecimal,
// then the width in device pixels and the logical dots per inch of the screen the
// window was on ("120;80;620;480;1;0;1024;96"). A text written on a screen of another
// width or density is ignored, so the window stays centred. GUI thread only.

#include <QString>

class QWidget;

struct WindowPlacement {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    unsigned showCommand = 1;  // 1 normal, 2 minimized, 3 maximized
    unsigned flags = 0;
    int screenWidth = 0;  // device pixels
    int screenDpi = 0;    // logical dots per inch across
};

// "%d;%d;%d;%d;%x;%x;%d;%d" of the fields.
QString FormatPlacementText(const WindowPlacement& placement);

// False unless all eight fields are read.
bool ParsePlacementText(const QString& text, WindowPlacement& placement);

// The placement text of the window as it stands.
QString GetPlacementText(const QWidget* window);

// Puts the window at the rectangle of text. False, leaving the window alone, when the
// text is empty or incomplete, the rectangle is empty, or no screen at that place has
// the width and density the text was written on. With showNormal a window saved
// minimized or maximized comes back in its normal state.
bool ApplyPlacementText(QWidget* window, const QString& text, bool showNormal);

// Sizes the window to its layout when it has not been shown yet and centres it on the
// screen of its parent (the primary screen without one).
void CentreOnScreen(QWidget* window);

// The opening steps of a sheet: centre, then the placement stored under name when
// there is one. An empty name does only the centring.
void RestoreWindowPlacement(QWidget* window, const QString& name);

// The closing steps of a sheet: the placement text stored under name (nothing for an
// empty name).
void SaveWindowPlacement(const QWidget* window, const QString& name);

#pragma once

// The message boxes of the desktop program: the tool's title "Mavren", the buttons and
// icon the flags name, Enter pressing the first button and Escape answering as a Windows
// box does (OK for an OK box, Cancel where there is one; nothing for Yes/No). Called from
// a worker thread, Show blocks only that thread until the user answers the box that the
// GUI thread shows. Install it with SetMessageBoxBackend at start-up.

#include <QString>

#include "platform/message_box.h"

class QWidget;

class QtMessageBox : public MessageBoxBackend {
  public:
    int Show(const std::string& text, unsigned flags) override;
};

// Shows the box on the GUI thread, modal over parent (or the active window when null).
// Returns IDOK, IDCANCEL, IDYES, IDNO or IDRETRY.
int ShowQtMessageBox(const QString& text, unsigned flags, QWidget* parent = nullptr);

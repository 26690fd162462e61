#include "ui/desktop_backends.h"

#include <memory>

#include "platform/message_box.h"
#include "platform/open_url.h"
#include "ui/qt_browser_chooser.h"
#include "ui/qt_message_box.h"

void InstallDesktopBackends() {
    SetMessageBoxBackend(std::make_shared<QtMessageBox>());
    SetBrowserChooser(std::make_shared<QtBrowserChooser>());
}

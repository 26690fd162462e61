#include "ui/help_page.h"

#include "platform/app_folders.h"
#include "platform/open_url.h"

void OpenHelpPage(const QString& fileName) {
    OpenUrl(HelpFolder() + fileName.toStdString());
}

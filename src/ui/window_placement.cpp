#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdio>

#include "platform/registry.h"
#include "work/settings_failures.h"

namespace {

int ScreenWidth(const QScreen* screen) {
    return qRound(screen->geometry().width() * screen->devicePixelRatio());
}

int ScreenDpi(const QScreen* screen) {
    return qRound(screen->logicalDotsPerInchX());
}

QScreen* ScreenOf(const QWidget* window) {
    if (window->isVisible() || window->testAttribute(Qt::WA_WState_Created)) {
        return window->screen();
    }
    // Not placed yet: the screen under the middle of where it is to go.
    QScreen* screen = QGuiApplication::screenAt(window->geometry().center());
    return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

QString FormatPlacementText(const WindowPlacement& p) {
    return QString::asprintf("%d;%d;%d;%d;%x;%x;%d;%d", p.left, p.top, p.right, p.bottom,
                             p.showCommand, p.flags, p.screenWidth, p.screenDpi);
}

bool ParsePlacementText(const QString& text, WindowPlacement& placement) {
    if (text.isEmpty()) {
        return false;
    }
    const QByteArray bytes = text.toLatin1();
    WindowPlacement read;
    const int fields = std::sscanf(bytes.constData(), "%d;%d;%d;%d;%x;%x;%d;%d", &read.left,
                                   &read.top, &read.right, &read.bottom, &read.showCommand,
                                   &read.flags, &read.screenWidth, &read.screenDpi);
    if (fields < 8) {
        return false;
    }
    placement = read;
    return true;
}

QString GetPlacementText(const QWidget* window) {
    QRect normal = window->normalGeometry();
    if (normal.isEmpty()) {
        normal = window->geometry();
    }
    WindowPlacement p;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    p.showCommand = window->isMinimized() ? 2 : window->isMaximized() ? 3 : 1;
    p.flags = 0;
    if (const QScreen* screen = ScreenOf(window)) {
        p.screenWidth = ScreenWidth(screen);
        p.screenDpi = ScreenDpi(screen);
    }
    return FormatPlacementText(p);
}

bool ApplyPlacementText(QWidget* window, const QString& text, bool showNormal) {
    WindowPlacement p;
    if (!ParsePlacementText(text, p)) {
        return false;
    }
    const QRect rect(p.left, p.top, p.right - p.left, p.bottom - p.top);
    if (rect.width() <= 0 || rect.height() <= 0) {
        return false;
    }
    // The screen the window would come back on must be the one it was saved on.
    const QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (screen == nullptr || ScreenWidth(screen) != p.screenWidth ||
        ScreenDpi(screen) != p.screenDpi) {
        return false;
    }
    if (showNormal) {
        p.showCommand = 1;
        p.flags = 0;
    }
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    window->setGeometry(rect);
    if (p.showCommand == 3) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    } else if (p.showCommand == 2) {
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }
    return true;
}

void CentreOnScreen(QWidget* window) {
    if (!window->isVisible()) {
        window->adjustSize();
    }
    const QWidget* parent = window->parentWidget();
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    QRect rect = window->geometry();
    rect.moveCenter(available.center());
    window->setGeometry(rect);
}

void RestoreWindowPlacement(QWidget* window, const QString& name) {
    CentreOnScreen(window);
    if (name.isEmpty()) {
        return;
    }
    const std::string text =
        GetRegistryString(kWindowPositionsKey, name.toStdString(), HKEY_CURRENT_USER);
    if (!text.empty()) {
        ApplyPlacementText(window, QString::fromStdString(text), true);
    }
}

void SaveWindowPlacement(const QWidget* window, const QString& name) {
    const QString text = GetPlacementText(window);
    if (name.isEmpty()) {
        return;
    }
    Result written = CreateRegistryKeyPath(kWindowPositionsKey, HKEY_CURRENT_USER);
    if (written.ok()) {
        written = SetRegistryString(kWindowPositionsKey, name.toStdString(), text.toStdString(),
                                    HKEY_CURRENT_USER);
    }
    TellSettingsWriteFailure(written);
}

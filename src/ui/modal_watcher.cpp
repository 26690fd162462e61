#include "ui/modal_watcher.h"

#include <QApplication>
#include <QWidget>

ModalWatcher::ModalWatcher(std::function<void(QWidget*)> action)
    : m_action(std::move(action)), m_before(QApplication::activeModalWidget()) {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::Look);
    m_timer.start();
}

void ModalWatcher::Look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == m_before || !modal->isVisible()) {
        return;
    }
    m_timer.stop();
    m_fired = true;
    m_action(modal);
}

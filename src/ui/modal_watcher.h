#pragma once

// Acting on the next modal window that opens, from the event loop: for tools that drive
// the dialogs without a user (the screenshot renderer, the GUI tests). While the watcher
// lives it looks every 10 ms for a modal window other than the one active when it was
// made, and hands the first it finds to its action once. GUI thread only.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QWidget;

class ModalWatcher : public QObject {
    Q_OBJECT

  public:
    explicit ModalWatcher(std::function<void(QWidget*)> action);

    bool Fired() const { return m_fired; }

  private:
    void Look();

    std::function<void(QWidget*)> m_action;
    QPointer<QWidget> m_before;
    QTimer m_timer;
    bool m_fired = false;
};

#pragma once

// Running a piece of work on the GUI thread and waiting for its result, for the core's
// callbacks (message boxes, the browser chooser) that may come from a worker thread.
// From the GUI thread itself the work runs at once: a blocking queued call to one's own
// thread would wait for ever.

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <utility>

// The work's result; fallback when there is no application to run it, or the
// application went away before it ran.
template <typename Result, typename Work>
Result CallOnGuiThread(Work work, Result fallback) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return fallback;
    }
    if (QThread::currentThread() == application->thread()) {
        return work();
    }
    Result result = std::move(fallback);
    QMetaObject::invokeMethod(
        application, [&result, &work] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
}

// mavren: the desktop program. mavren [PROGRAM.mav]

#include <unistd.h>

#include <QApplication>
#include <cstdio>

#include "platform/worker_thread.h"
#include "ui/mavren_app.h"

int main(int argc, char** argv) {
    int status = 0;
    {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Mavren"));
        CMavrenApp app;
        status = app.InitInstance(QApplication::arguments());
        app.ExitInstance();
    }
    // A worker that did not stop in time still uses what the process's static objects
    // hold; it is left behind rather than pulled out from under it.
    if (RunningWorkerThreads() > 0) {
        std::fflush(nullptr);
        ::_exit(status);
    }
    return status;
}

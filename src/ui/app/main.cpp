// mavren: the desktop program. mavren [PROGRAM.mav]

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "mavren_version.h"
#include "platform/worker_thread.h"
#include "ui/mavren_app.h"

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("mavren %s\n%s\n", kMavrenVersion, kMavrenLicence);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf(
            "usage: mavren [PROGRAM.mav]\n"
            "       mavren --help | --version\n"
            "\n"
            "Opens the program file in Mavren's main window, or the Welcome window when\n"
            "none is named. Mavren turns a folder of pictures, text files or HTML files\n"
            "into a small web site; see also mavren-cli.\n");
        return 0;
    }
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

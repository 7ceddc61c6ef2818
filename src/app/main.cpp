#include "app/main_window.h"
#include "app/qt_ui.h"
#include "app/signal_watch.h"
#include "logger/program_state.h"

#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // The only option: the version, without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vorlanix %s\n", VORLANIX_VERSION);
        return 0;
    }
    // Past a file-size limit a write fails and says so, instead of the
    // signal ending the program between a record file and its mark.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vorlanix.svg")));
    // Docks and task bars match the window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vorlanix.Vorlanix"));
    QApplication::setApplicationVersion(QStringLiteral(VORLANIX_VERSION));
    vx::Global global;
    QString no_program_dir;
    global.program_dir = vx::find_program_dir(&no_program_dir);
    global.data_dir = vx::find_data_dir();
    vx::QtUi ui(global);
    global.ui = &ui;
    // Without its directory the program has nowhere to read or keep anything.
    if (global.program_dir.isEmpty()) {
        ui.show_message(no_program_dir, vx::btn::ok);
        return 1;
    }
    vx::TForm1 window(global);
    ui.set_parent(&window);
    // SIGTERM, SIGINT and SIGHUP close the window as the user would.
    vx::SignalWatch watch;
    QObject::connect(&watch, &vx::SignalWatch::received, &window, &vx::TForm1::close_on_signal);
    window.show();
    window.start();
    return app.exec();
}

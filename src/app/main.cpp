#include "app/main_window.h"
#include "app/qt_ui.h"
#include "logger/program_state.h"

#include <QApplication>
#include <QIcon>
#include <csignal>

int main(int argc, char** argv)
{
    // Past a file-size limit a write fails and says so, instead of the
    // signal ending the program between a record file and its mark.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vorlanix.svg")));
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
    window.show();
    window.start();
    return app.exec();
}

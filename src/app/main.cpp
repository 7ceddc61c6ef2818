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
    global.program_dir = vx::find_program_dir();
    global.data_dir = vx::find_data_dir();
    vx::QtUi ui(global);
    global.ui = &ui;
    vx::TForm1 window(global);
    ui.set_parent(&window);
    window.show();
    window.start();
    return app.exec();
}

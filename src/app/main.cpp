#include "app/main_window.h"
#include "app/qt_ui.h"
#include "logger/program_state.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
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

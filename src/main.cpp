#include "shell/global.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vx::Global global;
    global.program_dir = vx::find_program_dir();
    QMainWindow w;
    w.setWindowTitle("VORLAN");
    w.show();
    return app.exec();
}

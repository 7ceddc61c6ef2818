// vorlanix-cli: the command line of Vorlanix (see cli/commands.h).
#include "cli/commands.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return vx::cli::run(QCoreApplication::arguments().mid(1));
}

// vorlanix-cli: the command line of Vorlanix (see cli/commands.h).
#include "cli/commands.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char** argv)
{
    // Under a file-size limit a write past it fails with an error, reported
    // like any other, instead of killing the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    return vx::cli::run(QCoreApplication::arguments().mid(1));
}

#pragma once
// The one program-wide state object: the link, what is known of the attached
// logger, the settings, the language table and the calibration definition.
// main() (or a test fixture) owns it and hands it to the windows and flows.
#include "link/link.h"
#include "logger/state.h"
#include "shell/calib.h"
#include "shell/language.h"
#include "shell/settings.h"
#include "shell/tips.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace vx {

class UiPort;

struct Global {
    QString program_dir;      // with its trailing '/'
    Settings settings;
    Language lang;
    Calibration calib;
    Tips tips;
    Link link;
    Identification ident;
    Status status;
    Coefficients coef;
    PollState poll;
    TransferState transfer;
    UiPort* ui = nullptr;
    // The computer's clock; tests replace it to run on a fixed date.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // Path of a file beside the program.
    QString path(const QString& file_name) const { return program_dir + file_name; }
};

// The program directory: $VORLANIX_HOME when set, else the executable's
// directory; always with a trailing '/'.
QString find_program_dir();

} // namespace vx

#pragma once
// The one program-wide state object: the link, what is known of the attached
// logger, the settings, the language table and the calibration definition.
// main() (or a test fixture) owns it and hands it to the windows and flows.
#include "base/calibration.h"
#include "base/language.h"
#include "base/program_dir.h"
#include "base/settings.h"
#include "base/tips.h"
#include "link/link.h"
#include "logger/state.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace vx
{

class UiPort;

struct Global {
    Global() { link.attach_language(&lang); }
    Global(const Global&) = delete;
    Global& operator=(const Global&) = delete;

    QString program_dir; // with its trailing '/'
    // Where the shipped read-only files lie when the program directory has
    // no copy of its own (with its trailing '/'); empty: nowhere else.
    QString data_dir;
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
    // Path of a shipped read-only file: the program directory's copy, else
    // the data directory's; empty when neither exists.
    QString shipped(const QString& file_name) const
    {
        return find_shipped_file(file_name, program_dir, data_dir);
    }
};

// The help's start page for the language in use (see help_page_places), and
// what to tell the user when it is missing (every place looked in) or found
// but the desktop would not open it.
struct HelpPage {
    QString path; // empty when no place holds it
    QString problem;
};
HelpPage find_help_page(const Global& g);

// Reads the whole settings file into g.settings, builds the language table
// from it (from section language instead of LANGUAGE when one is given) and
// resets the run-time state the file does not hold. A log directory that does
// not exist falls back to "Log" beside the program, with message 9 and the
// directory's path. A settings file that is there but cannot be read leaves
// every default in place; message 201 says so, with the file's path and the
// reason, and is returned (empty when the file was read or is missing), so
// that the caller does not go on as if the defaults were the user's.
QString load_settings(Global& g, const QString& language = {});

} // namespace vx

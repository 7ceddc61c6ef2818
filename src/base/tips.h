#pragma once
// Tips: short help texts from "vntip.tip" in the program directory (code
// page 1250, or UTF-8). A tip is the block of lines after a line that
// contains its name (by convention in square brackets), up to the next line
// that holds a "[" or the end of the file. Tips of the day are named DAY000,
// DAY001, ... A language section other than the built-in SLOVAK has its tips
// in "vntip_<section in lower case>.tip" ("vntip_english.tip").
#include <QString>
#include <functional>
#include <random>

namespace vx
{

class Language;

class Tips
{
public:
    // Where the tips file lies (program_dir, else data_dir where the program
    // ships it), and the language whose tips file is read and whose MESS20
    // says it is missing; language may be null, then the built-in Slovak.
    void attach(const QString& program_dir, const Language* language, const QString& data_dir = {});

    // Number of lines of the tips file that contain "[DAY" (0 without the
    // file); also kept in day_count.
    int count_day_tips();
    // "DAY" and n with at least three digits: 7 -> DAY007, 1234 -> DAY1234.
    static QString day_tip_name(int n);
    // Picks n uniformly in 0..day_count-1 (0 when there are none), shows
    // that tip of the day and returns its name.
    QString random_day_tip();
    void seed(unsigned value) { rng_.seed(value); }

    // Puts the named tip into the sink; nothing when tips are off or the
    // same name was the last one asked for. Without the file the sink gets
    // the missing-file text; without the name the sink is not called.
    void show_tip(const QString& name);
    // After the language changed: the tips of the day counted again in its
    // file, and the tip shown last shown again in the new language.
    void language_changed();

    // Receives the whole new text of the tip window (lines joined by '\n');
    // the window shows it from its first line.
    std::function<void(const QString&)> sink;

    bool showtip = true; // the SHOWTIP switch of this run
    int day_count = 0;
    QString last_shown;              // empty at start
    bool skip_first_page_tip = true; // the first page's tip waits for its second showing

private:
    QString path() const;

    QString program_dir_;
    QString data_dir_;
    const Language* language_ = nullptr;
    std::mt19937 rng_{5489u};
};

} // namespace vx

#pragma once
// The user-interface port of the command line: messages go to stderr, one
// line each, their control characters written out (see printable);
// questions are answered by --yes, by the user on a terminal, or else with
// No; the progress window becomes a bar on stderr when stderr is a terminal
// (nothing otherwise). Cancel is an interrupt (SIGINT or SIGTERM).
#include "base/ui_port.h"

#include <QMap>
#include <QString>
#include <cstdio>
#include <functional>

namespace vx::cli
{

class TerminalUi : public UiPort
{
public:
    // How questions (Yes/No messages) are answered.
    enum class Answers {
        yes, // --yes: every question is answered Yes
        ask, // the user answers on the terminal
        no,  // nobody to ask: every question is answered No
    };

    // abort is what the progress window's cancel does (the link's abort).
    // err receives messages, questions and the bar; bar draws the bar.
    TerminalUi(Answers answers, bool bar, std::function<void()> abort, std::FILE* err = stderr);

    // Asks a question by the answering rule: --yes answers Yes, nobody to
    // ask answers No; on a terminal an empty reply takes default_result
    // (mr::yes, mr::cancel where cancel may answer, else No). Returns mr::*.
    int ask(const QString& question, bool cancel = false, int default_result = mr::no);
    // A Yes/No question with No as its default; true for Yes.
    bool confirm(const QString& question) { return ask(question) == mr::yes; }
    // Answers of input boxes by caption (the count of the newest records).
    void preset_input(const QString& caption, const QString& answer) { inputs_[caption] = answer; }

    // An interrupt: cancels the running communication, and any later one.
    void interrupt();
    bool interrupted() const { return interrupted_; }
    // True when a question was answered No because nobody could be asked.
    bool unanswered() const { return unanswered_; }

    // Put before every message (the port of one of several loggers served at once).
    void set_prefix(const QString& prefix) { prefix_ = prefix; }

    // One line for the terminal: line breaks become blanks, blanks are merged.
    static QString one_line(const QString& text);

    int show_message(const QString& text, int buttons, int default_result = 0) override;
    void plain_message(const QString& text) override;
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& value) override;
    void progress_show(const QString& caption) override;
    void progress_hide() override;
    void progress_label(const QString& text) override;
    void progress_range(int maximum) override;
    void progress_position(int position) override;
    void progress_log(const QString&) override {}
    void progress_clear_log() override {}

private:
    void print(const QString& line);
    void draw();
    void erase();

    Answers answers_;
    bool bar_;
    std::function<void()> abort_;
    std::FILE* err_;
    QMap<QString, QString> inputs_;
    bool interrupted_ = false;
    bool unanswered_ = false;
    bool shown_ = false; // the bar is on the screen
    QString prefix_;
    QString caption_, label_;
    QString drawn_;     // the bar line on the screen
    QString last_line_; // the last message printed
    int maximum_ = 100, position_ = 0;
};

// The bar line for a terminal of width columns: caption, bar, count, label,
// cut to the width.
QString progress_line(const QString& caption, const QString& label, int position, int maximum, int width);

} // namespace vx::cli

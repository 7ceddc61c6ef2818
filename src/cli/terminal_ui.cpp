#include "cli/terminal_ui.h"

#include "base/printable.h"

#include <QRegularExpression>
#include <algorithm>
#include <iostream>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vx::cli
{

namespace
{

int terminal_width(std::FILE* f)
{
    winsize w{};
    if (ioctl(fileno(f), TIOCGWINSZ, &w) == 0 && w.ws_col > 20) return w.ws_col;
    return 80;
}

} // namespace

TerminalUi::TerminalUi(Answers answers, bool bar, std::function<void()> abort, std::FILE* err)
    : answers_(answers), bar_(bar), abort_(std::move(abort)), err_(err)
{
}

QString TerminalUi::one_line(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString(text).replace(blanks, QStringLiteral(" ")).trimmed();
}

void TerminalUi::print(const QString& line)
{
    // A flow's message that the command repeats as its last word is said once.
    if (line == last_line_) return;
    last_line_ = line;
    erase();
    std::fprintf(err_, "vorlanix-cli: %s\n", printable(prefix_ + line).toLocal8Bit().constData());
    std::fflush(err_);
    draw();
}

int TerminalUi::ask(const QString& question, bool cancel, int default_result)
{
    const QString q = one_line(question);
    // The choices, the default in capitals: what an empty reply answers.
    const int fallback =
        default_result == mr::yes || (cancel && default_result == mr::cancel) ? default_result : mr::no;
    QString choices = fallback == mr::yes ? QStringLiteral("Y/n") : QStringLiteral("y/N");
    if (cancel) choices += fallback == mr::cancel ? QStringLiteral("/C") : QStringLiteral("/c");
    choices = QStringLiteral(" [%1]").arg(choices);
    switch (answers_) {
    case Answers::yes:
        print(q + choices + QStringLiteral(" y (--yes)"));
        return mr::yes;
    case Answers::no:
        print(q + choices + QStringLiteral(" n (no terminal to ask; --yes answers yes)"));
        unanswered_ = true;
        return mr::no;
    case Answers::ask:
        break;
    }
    erase();
    std::fprintf(err_, "vorlanix-cli: %s%s ", printable(q).toLocal8Bit().constData(),
                 choices.toLocal8Bit().constData());
    std::fflush(err_);
    std::string reply;
    // An interrupt while waiting ends the read: that is a No.
    if (!std::getline(std::cin, reply)) {
        draw();
        return mr::no;
    }
    draw();
    const char c = reply.empty() ? '\0' : reply[0];
    if (c == 'y' || c == 'Y' || c == 'a' || c == 'A') return mr::yes;
    if (c == 'n' || c == 'N') return mr::no;
    if (cancel && (c == 'c' || c == 'C')) return mr::cancel;
    return reply.empty() ? fallback : mr::no;
}

void TerminalUi::interrupt()
{
    interrupted_ = true;
    if (abort_) abort_();
}

int TerminalUi::show_message(const QString& text, int buttons, int default_result)
{
    if (buttons & btn::yes) return ask(text, buttons & btn::cancel, default_result);
    const QString line = one_line(text);
    print(line);
    return (buttons & btn::ok) || buttons == 0 ? mr::ok : mr::cancel;
}

void TerminalUi::plain_message(const QString& text)
{
    show_message(text, btn::ok);
}

std::optional<QString> TerminalUi::input_box(const QString& caption, const QString&, const QString&)
{
    if (inputs_.contains(caption)) return inputs_.value(caption);
    return std::nullopt;
}

void TerminalUi::progress_show(const QString& caption)
{
    // Showing the progress window clears the cancel flag; an interrupt that
    // came before must still end this communication.
    if (interrupted_ && abort_) abort_();
    caption_ = caption;
    label_.clear();
    maximum_ = 100;
    position_ = 0;
    shown_ = true;
    draw();
}

void TerminalUi::progress_hide()
{
    erase();
    shown_ = false;
}

void TerminalUi::progress_label(const QString& text)
{
    label_ = text;
    draw();
}

void TerminalUi::progress_range(int maximum)
{
    maximum_ = maximum;
    draw();
}

void TerminalUi::progress_position(int position)
{
    position_ = position;
    draw();
}

void TerminalUi::draw()
{
    if (!bar_ || !shown_) return;
    const QString line = progress_line(caption_, label_, position_, maximum_, terminal_width(err_));
    if (line == drawn_) return;
    drawn_ = line;
    std::fprintf(err_, "\r%s\033[K", printable(line).toLocal8Bit().constData());
    std::fflush(err_);
}

void TerminalUi::erase()
{
    if (!bar_ || !shown_) return;
    drawn_.clear();
    std::fprintf(err_, "\r\033[K");
    std::fflush(err_);
}

QString progress_line(const QString& caption, const QString& label, int position, int maximum, int width)
{
    constexpr int bar_cells = 30;
    const int max = std::max(maximum, 1);
    const int pos = std::clamp(position, 0, max);
    const int filled = static_cast<int>(qint64(pos) * bar_cells / max);
    QString line = caption.isEmpty() ? QString() : caption + QLatin1Char(' ');
    line += QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
            QString(bar_cells - filled, QLatin1Char('.')) +
            QStringLiteral("] %1%").arg(int(qint64(pos) * 100 / max), 3);
    if (!label.isEmpty()) line += QLatin1Char(' ') + TerminalUi::one_line(label);
    return line.left(std::max(width - 1, 0));
}

} // namespace vx::cli

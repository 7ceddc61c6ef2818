#pragma once
// A scripted user-interface port for tests: records every call in order and
// answers show_message and input_box from queues the test fills.
#include "base/ui_port.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

namespace vxtest
{

class FakeUi : public vx::UiPort
{
public:
    // Every call as "name" or "name:argument", in order, e.g.
    // "progress_show:Title", "plain_message:Text", "show_message:Text".
    QStringList calls;

    // Answers of show_message, taken front first. When the queue is empty:
    // default_answer if set, else OK where the set has it and No otherwise
    // (the buttons a user could have pressed).
    std::deque<int> message_answers;
    std::optional<int> default_answer;
    // Answers of input_box (nullopt = cancelled); cancelled when empty.
    std::deque<std::optional<QString>> input_answers;

    // Called after each recorded call (e.g. to press cancel at a chosen moment).
    std::function<void(const QString& call)> on_call;

    // show_message texts with their button sets and input-box prompts, in order.
    QList<QPair<QString, int>> messages;
    QList<int> default_buttons; // the default_button of each show_message
    QStringList prompts;

    bool progress_visible = false;
    QStringList progress_lines; // the progress log since it was last cleared

    // How many recorded calls start with prefix.
    int count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& c : calls)
            n += c.startsWith(prefix);
        return n;
    }
    // The arguments of the calls named name, in order (e.g. every position of
    // args("progress_position")).
    QStringList args(const QString& name) const
    {
        QStringList out;
        for (const QString& c : calls)
            if (c.startsWith(name + ':')) out << c.mid(name.size() + 1);
        return out;
    }

    int show_message(const QString& text, int buttons, int default_button = 0) override
    {
        messages.append({text, buttons});
        default_buttons.append(default_button);
        int answer = default_answer.value_or((buttons & vx::btn::ok) ? vx::mr::ok : vx::mr::no);
        if (!message_answers.empty()) {
            answer = message_answers.front();
            message_answers.pop_front();
        }
        record("show_message:" + text);
        return answer;
    }
    void plain_message(const QString& text) override { record("plain_message:" + text); }
    std::optional<QString> input_box(const QString& caption, const QString& prompt, const QString&) override
    {
        std::optional<QString> answer;
        if (!input_answers.empty()) {
            answer = input_answers.front();
            input_answers.pop_front();
        }
        prompts << prompt;
        record("input_box:" + caption);
        return answer;
    }
    void progress_show(const QString& caption) override
    {
        progress_visible = true;
        record("progress_show:" + caption);
    }
    void progress_hide() override
    {
        progress_visible = false;
        record("progress_hide");
    }
    void progress_label(const QString& text) override { record("progress_label:" + text); }
    void progress_range(int maximum) override { record("progress_range:" + QString::number(maximum)); }
    void progress_position(int position) override
    {
        record("progress_position:" + QString::number(position));
    }
    void progress_log(const QString& line) override
    {
        progress_lines << line;
        record("progress_log:" + line);
    }
    void progress_clear_log() override
    {
        progress_lines.clear();
        record("progress_clear_log");
    }

private:
    void record(const QString& call)
    {
        calls << call;
        if (on_call) on_call(call);
    }
};

} // namespace vxtest

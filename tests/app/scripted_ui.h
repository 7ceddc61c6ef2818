#pragma once
// A user-interface port for window tests: records every message and answers
// message and input boxes from queues given by the test.
#include "base/ui_port.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace vxtest
{

class ScriptedUi : public vx::UiPort
{
public:
    struct Message {
        QString text;
        int buttons;
    };
    std::vector<Message> messages;
    QStringList plain;
    QStringList prompts;                              // prompt of every input box
    QStringList progress_titles;                      // caption of every progress_show
    std::deque<int> message_answers;                  // default: mr::ok / mr::no
    std::deque<std::optional<QString>> input_answers; // default: cancelled
    bool progress_visible = false;

    int show_message(const QString& text, int buttons) override
    {
        messages.push_back({text, buttons});
        if (!message_answers.empty()) {
            const int a = message_answers.front();
            message_answers.pop_front();
            return a;
        }
        return (buttons & vx::btn::ok) ? vx::mr::ok : vx::mr::no;
    }
    void plain_message(const QString& text) override { plain << text; }
    std::optional<QString> input_box(const QString&, const QString& prompt, const QString&) override
    {
        prompts << prompt;
        if (input_answers.empty()) return std::nullopt;
        const bool answered = input_answers.front().has_value();
        const QString a = input_answers.front().value_or(QString());
        input_answers.pop_front();
        if (!answered) return std::nullopt;
        return a;
    }
    void progress_show(const QString& caption) override
    {
        progress_titles << caption;
        progress_visible = true;
    }
    void progress_hide() override { progress_visible = false; }
    void progress_label(const QString&) override {}
    void progress_range(int) override {}
    void progress_position(int) override {}
    void progress_log(const QString&) override {}
    void progress_clear_log() override {}
};

} // namespace vxtest

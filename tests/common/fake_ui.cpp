#include "common/fake_ui.h"

namespace vxtest
{

void FakeUi::record(const QString& call)
{
    calls << call;
    if (on_call) on_call(call);
}

int FakeUi::count(const QString& prefix) const
{
    int n = 0;
    for (const QString& c : calls)
        if (c.startsWith(prefix)) ++n;
    return n;
}

int FakeUi::show_message(const QString& text, int buttons)
{
    messages.append({text, buttons});
    int answer = default_answer;
    if (!message_answers.empty()) {
        answer = message_answers.front();
        message_answers.pop_front();
    }
    record("show_message:" + text);
    return answer;
}

void FakeUi::plain_message(const QString& text)
{
    plain << text;
    record("plain_message:" + text);
}

std::optional<QString> FakeUi::input_box(const QString& caption, const QString&, const QString& value)
{
    std::optional<QString> answer = value;
    if (!input_answers.empty()) {
        answer = input_answers.front();
        input_answers.pop_front();
    }
    record("input_box:" + caption);
    return answer;
}

void FakeUi::progress_show(const QString& caption)
{
    progress_visible = true;
    progress_caption = caption;
    progress_label_text.clear();
    progress_maximum = 100;
    progress_pos = 0;
    record("progress_show:" + caption);
}

void FakeUi::progress_hide()
{
    progress_visible = false;
    record("progress_hide");
}

void FakeUi::progress_label(const QString& text)
{
    progress_label_text = text;
    labels << text;
    record("progress_label:" + text);
}

void FakeUi::progress_range(int maximum)
{
    progress_maximum = maximum;
    record("progress_range:" + QString::number(maximum));
}

void FakeUi::progress_position(int position)
{
    progress_pos = position;
    record("progress_position:" + QString::number(position));
}

void FakeUi::progress_log(const QString& line)
{
    progress_lines << line;
    record("progress_log:" + line);
}

void FakeUi::progress_clear_log()
{
    progress_lines.clear();
    record("progress_clear_log");
}

} // namespace vxtest

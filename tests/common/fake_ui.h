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

    // Answers of show_message, taken front first; default_answer when empty.
    std::deque<int> message_answers;
    int default_answer = vx::mr::ok;
    // Answers of input_box (nullopt = cancelled); the given value when empty.
    std::deque<std::optional<QString>> input_answers;

    // Called after each recorded call (e.g. to press cancel at a chosen moment).
    std::function<void(const QString& call)> on_call;

    // show_message texts with their button sets, plain messages and progress
    // labels, in order.
    QList<QPair<QString, int>> messages;
    QStringList plain;
    QStringList labels;

    bool progress_visible = false;
    QString progress_caption;
    QString progress_label_text;
    int progress_maximum = 100;
    int progress_pos = 0;
    QStringList progress_lines;

    // How many recorded calls start with prefix.
    int count(const QString& prefix) const;

    int show_message(const QString& text, int buttons) override;
    void plain_message(const QString& text) override;
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& value) override;
    void progress_show(const QString& caption) override;
    void progress_hide() override;
    void progress_label(const QString& text) override;
    void progress_range(int maximum) override;
    void progress_position(int position) override;
    void progress_log(const QString& line) override;
    void progress_clear_log() override;

private:
    void record(const QString& call);
};

} // namespace vxtest

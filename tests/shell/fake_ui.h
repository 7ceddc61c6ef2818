#pragma once
// A user-interface port that records what the code under test shows.
#include "shell/ui_port.h"

#include <QList>
#include <QPair>
#include <QString>

class RecordingUi : public vx::UiPort
{
public:
    int show_message(const QString& text, int buttons) override
    {
        messages.append({text, buttons});
        return answer;
    }
    void plain_message(const QString& text) override { plain.append(text); }
    std::optional<QString> input_box(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    void progress_show(const QString&) override {}
    void progress_hide() override {}
    void progress_label(const QString&) override {}
    void progress_range(int) override {}
    void progress_position(int) override {}
    void progress_log(const QString&) override {}
    void progress_clear_log() override {}

    QList<QPair<QString, int>> messages;
    QStringList plain;
    int answer = vx::mr::ok;
};

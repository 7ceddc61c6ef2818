#pragma once
// A user-interface port that records what it was asked to show.
#include "shell/ui_port.h"

#include <QStringList>

namespace vxtest
{

class RecordingUi : public vx::UiPort
{
public:
    int show_message(const QString& text, int) override
    {
        messages << text;
        return vx::mr::ok;
    }
    void plain_message(const QString& text) override { messages << text; }
    std::optional<QString> input_box(const QString&, const QString&, const QString&) override { return {}; }
    void progress_show(const QString& caption) override
    {
        shown = true;
        captions << caption;
    }
    void progress_hide() override { shown = false; }
    void progress_label(const QString& text) override { labels << text; }
    void progress_range(int maximum) override { range = maximum; }
    void progress_position(int position) override { positions << position; }
    void progress_log(const QString& line) override { log << line; }
    void progress_clear_log() override { log.clear(); }

    QStringList messages, captions, labels, log;
    QList<int> positions;
    int range = 0;
    bool shown = false;
};

} // namespace vxtest

#pragma once
// A record viewer as the target of a download. The download keeps the event
// loop running while it waits for the logger, so the user may close the
// viewer in the middle of a transfer: the sink then lets the lines go (the
// record file still receives them) instead of writing into a dead window.
#include "records/record_decode.h"

#include <QPointer>

namespace vx
{

class TEditForm;

class ViewerSink : public RecordSink
{
public:
    explicit ViewerSink(TEditForm* viewer);

    void add_line(const QString& line) override;
    // Two-value records get the wider text pane (200 pixels instead of 177).
    void set_wide(bool wide) override;

    // The viewer, or nullptr once it has been closed.
    TEditForm* viewer() const { return viewer_.data(); }

private:
    QPointer<TEditForm> viewer_;
    bool wide_ = false;
};

} // namespace vx

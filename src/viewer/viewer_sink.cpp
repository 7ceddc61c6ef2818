#include "viewer/viewer_sink.h"

#include "viewer/record_viewer.h"

namespace vx
{

ViewerSink::ViewerSink(TEditForm* viewer) : viewer_(viewer) {}

void ViewerSink::add_line(const QString& line)
{
    if (viewer_) viewer_->add_line(line);
}

void ViewerSink::set_wide(bool wide)
{
    // Decoding asks for every record; the pane is set once, so a width the
    // user drags afterwards stays.
    if (!viewer_ || wide == wide_) return;
    wide_ = wide;
    viewer_->set_text_width(wide ? 200 : 177);
}

} // namespace vx

#include "app/window_placement.h"

#include "base/settings.h"

#include <QScreen>
#include <QWidget>

namespace vx
{

void place_over(QWidget* window, const QWidget* owner)
{
    if (!window || !owner) return;
    // The frame it will have: its own once shown, else one like its owner's.
    QSize frame = window->frameGeometry().size() - window->size();
    if (frame.isEmpty()) frame = owner->frameGeometry().size() - owner->size();
    QRect r(QPoint(0, 0), window->size() + frame);
    r.moveCenter(owner->frameGeometry().center());
    const QScreen* screen = owner->screen();
    if (screen) r = fit_window_geometry({}, screen->availableGeometry(), r);
    window->move(r.topLeft());
}

} // namespace vx

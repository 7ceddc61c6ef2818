#pragma once
// Where the program's own windows open: over the window they belong to, not
// at the corner of the screen.
class QWidget;

namespace vx
{

// Centres window over owner (both top-level), wholly on owner's screen.
void place_over(QWidget* window, const QWidget* owner);

} // namespace vx

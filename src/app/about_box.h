#pragma once
// "O programe": the program and the supplier's contact details from the
// settings, in a modal box (AboutBox).
class QWidget;

namespace vx
{

struct Global;

void show_about_box(const Global& g, QWidget* parent);

} // namespace vx

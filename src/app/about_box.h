#pragma once
// "O programe": the program and the supplier's contact details from the
// settings, in a modal box (AboutBox).
#include <memory>

class QMessageBox;
class QWidget;

namespace vx
{

struct Global;

// The box, with its texts, not yet shown.
std::unique_ptr<QMessageBox> make_about_box(const Global& g, QWidget* parent);
// Shows it modally.
void show_about_box(const Global& g, QWidget* parent);

} // namespace vx

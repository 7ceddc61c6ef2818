#include "app/about_box.h"

#include "logger/program_state.h"

#include <QMessageBox>
#include <QPushButton>

namespace vx
{

std::unique_ptr<QMessageBox> make_about_box(const Global& g, QWidget* parent)
{
    // The program and the supplier's contact details from the settings.
    const Partner& p = g.settings.partner;
    auto about = std::make_unique<QMessageBox>(parent);
    QMessageBox& box = *about;
    box.setObjectName("AboutBox");
    const Language& L = g.lang;
    // Designed texts, or CAPT100..CAPT102 from a language section.
    const bool loaded = L.language_loaded;
    box.setWindowTitle(loaded ? L.capt(100) : QStringLiteral("O programe"));
    const QString heading = loaded ? L.capt(101) : QStringLiteral("VORLANIX");
    box.setText(heading + QStringLiteral("\n\n%1\n%2\nTel: %3\nFax: %4\nE-mail: %5\nWWW: %6")
                              .arg(p.NAME, p.LOCATION, p.TEL, p.FAX, p.EMAIL, p.WWW));
    QPushButton* ok = box.addButton(loaded ? L.capt(102) : QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName("OKButton");
    return about;
}

void show_about_box(const Global& g, QWidget* parent)
{
    make_about_box(g, parent)->exec();
}

} // namespace vx

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
    QStringList lines{heading, L.mess(178).arg(QString::fromLatin1(VORLANIX_VERSION))};
    // The supplier's details as far as the settings give them: the defaults
    // ("NONAME", "-----") stand for none and are not shown.
    const Partner unset;
    const std::pair<QString, QString> details[] = {{{}, p.NAME},     {{}, p.LOCATION},      {"Tel: ", p.TEL},
                                                   {"Fax: ", p.FAX}, {"E-mail: ", p.EMAIL}, {"WWW: ", p.WWW}};
    const QString defaults[] = {unset.NAME, unset.LOCATION, unset.TEL, unset.FAX, unset.EMAIL, unset.WWW};
    bool first = true;
    for (int i = 0; i < 6; ++i) {
        const QString value = details[i].second.trimmed();
        if (value.isEmpty() || value == defaults[i]) continue;
        if (first) lines << QString();
        first = false;
        lines << details[i].first + value;
    }
    box.setText(lines.join(QLatin1Char('\n')));
    QPushButton* ok = box.addButton(loaded ? L.capt(102) : QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName("OKButton");
    return about;
}

void show_about_box(const Global& g, QWidget* parent)
{
    make_about_box(g, parent)->exec();
}

} // namespace vx

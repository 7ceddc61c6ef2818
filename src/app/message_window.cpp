#include "app/message_window.h"

#include "base/ui_port.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx
{

Tfmess::Tfmess(QWidget* parent) : QDialog(parent)
{
    setObjectName("fmess");
    setWindowTitle("Info");
    setModal(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);

    auto make = [this](const char* name, const QString& text, int result) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    btCancel = make("btCancel", {}, mr::cancel);
    btOK = make("btOK", {}, mr::ok);
    btYes = make("btYes", {}, mr::yes);
    btNo = make("btNo", {}, mr::no);
    set_button_texts();

    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : {btCancel, btOK, btYes, btNo})
        row->addWidget(b);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(row);
    resize(420, 200);
}

void Tfmess::set_button_texts()
{
    // Qt's standard button texts, in the language of its translation.
    const std::pair<QPushButton*, const char*> texts[] = {
        {btCancel, "Cancel"}, {btOK, "OK"}, {btYes, "&Yes"}, {btNo, "&No"}};
    for (const auto& [button, text] : texts)
        button->setText(QCoreApplication::translate("QPlatformTheme", text));
}

void Tfmess::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) set_button_texts();
    QDialog::changeEvent(event);
}

int Tfmess::show_message(const QString& text, int buttons, int default_button)
{
    if (isVisible()) return 0;
    for (QPushButton* b : {btCancel, btOK, btYes, btNo}) {
        b->hide();
        b->setDefault(false);
    }
    Memo1->clear();
    // Texts carry CR LF (or a lone CR or LF) as line breaks.
    QString t = text;
    t.replace("\r\n", "\n").replace('\r', '\n');
    Memo1->setPlainText(t);
    btYes->setVisible(buttons & btn::yes);
    btNo->setVisible(buttons & btn::no);
    btOK->setVisible(buttons & btn::ok);
    btCancel->setVisible(buttons & btn::cancel);
    const std::pair<int, QPushButton*> chosen[] = {
        {btn::ok, btOK}, {btn::yes, btYes}, {btn::cancel, btCancel}, {btn::no, btNo}};
    for (const auto& [flag, b] : chosen)
        if ((buttons & default_button & flag) && b->isVisibleTo(this)) {
            b->setDefault(true);
            b->setFocus();
            return exec();
        }
    for (QPushButton* b : {btOK, btYes, btCancel, btNo})
        if (b->isVisibleTo(this)) {
            b->setDefault(true);
            b->setFocus();
            break;
        }
    return exec();
}

void Tfmess::reject()
{
    // The window's close box and Escape answer Cancel.
    done(mr::cancel);
}

} // namespace vx

#include "app/question_bar.h"

#include "base/ui_port.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vx
{

QuestionBar::QuestionBar(QWidget* parent) : QFrame(parent)
{
    setObjectName("QuestionBar");
    setFrameShape(QFrame::StyledPanel);
    // The colours of a tool tip: it stands out from the pages without alarming.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    Memo1 = new QLabel(this);
    Memo1->setObjectName("Memo1");
    Memo1->setWordWrap(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto make = [this](const char* name, int result) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        // Never takes the focus from the pages: the bar is answered when the user wants.
        b->setFocusPolicy(Qt::ClickFocus);
        connect(b, &QPushButton::clicked, this, [this, result] { answer(result); });
        return b;
    };
    btYes = make("btYes", mr::yes);
    btNo = make("btNo", mr::no);
    btOK = make("btOK", mr::ok);
    set_button_texts();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 6, 3);
    row->addWidget(Memo1, 1);
    for (QPushButton* b : {btYes, btNo, btOK})
        row->addWidget(b, 0, Qt::AlignVCenter);
    hide();
}

void QuestionBar::ask(const QString& text, int buttons, std::function<void(int)> answered)
{
    if (!isHidden() && btYes->isHidden() && (buttons & btn::yes)) {
        waiting_ = Waiting{text, buttons, std::move(answered)};
        return;
    }
    // The texts are written for the message window: no empty lines in a bar.
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (t.contains(QStringLiteral("\n\n")))
        t.replace(QStringLiteral("\n\n"), QStringLiteral("\n"));
    Memo1->setText(t.trimmed());
    btYes->setVisible(buttons & btn::yes);
    btNo->setVisible(buttons & btn::no);
    btOK->setVisible(buttons & btn::ok);
    answered_ = std::move(answered);
    show();
}

void QuestionBar::withdraw_question()
{
    waiting_.reset();
    if (isHidden() || btYes->isHidden()) return;
    answered_ = nullptr;
    hide();
}

QString QuestionBar::text() const
{
    return Memo1->text();
}

void QuestionBar::answer(int result)
{
    hide();
    // The answer may start a download, which waits for the logger: it runs
    // after the click has ended.
    auto answered = std::move(answered_);
    answered_ = nullptr;
    if (answered) QTimer::singleShot(0, this, [answered, result] { answered(result); });
    if (waiting_) {
        Waiting next = std::move(*waiting_);
        waiting_.reset();
        ask(next.text, next.buttons, std::move(next.answered));
    }
}

void QuestionBar::set_button_texts()
{
    // Qt's standard button texts, in the language of its translation.
    const std::pair<QPushButton*, const char*> texts[] = {{btYes, "&Yes"}, {btNo, "&No"}, {btOK, "OK"}};
    for (const auto& [button, text] : texts)
        button->setText(QCoreApplication::translate("QPlatformTheme", text));
}

void QuestionBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) set_button_texts();
    QFrame::changeEvent(event);
}

} // namespace vx

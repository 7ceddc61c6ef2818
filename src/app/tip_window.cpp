#include "app/tip_window.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace vx
{

TipWindow::TipWindow(QWidget* parent) : QDockWidget(QStringLiteral("Tip"), parent)
{
    setObjectName("TipWindow");
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("tipmemo");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWidget(text_);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
}

QString TipWindow::text() const
{
    return text_->toPlainText();
}

void TipWindow::set_text(const QString& text)
{
    text_->setPlainText(text);
    text_->moveCursor(QTextCursor::Start);
}

} // namespace vx

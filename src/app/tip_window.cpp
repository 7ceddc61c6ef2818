#include "app/tip_window.h"

#include <QMainWindow>
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

void dock_tool_window(QMainWindow& window, QDockWidget* dock, Qt::DockWidgetArea area, int bars_height)
{
    bool area_empty = true;
    for (QDockWidget* d : window.findChildren<QDockWidget*>())
        if (d != dock && d->isVisible() && !d->isFloating() && window.dockWidgetArea(d) == area)
            area_empty = false;
    if (window.dockWidgetArea(dock) != area) window.addDockWidget(area, dock);
    dock->show();
    // A panel that receives its first window opens to a third of the client area.
    if (!area_empty) return;
    const QSize client(window.width(), window.height() - bars_height);
    if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)
        window.resizeDocks({dock}, {client.width() / 3}, Qt::Horizontal);
    else
        window.resizeDocks({dock}, {client.height() / 3}, Qt::Vertical);
}

} // namespace vx

#include "app/calibration_editor.h"

#include "base/code_page.h"
#include "base/ui_port.h"
#include "logger/program_state.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStatusBar>
#include <QVBoxLayout>

namespace vx
{

namespace
{
constexpr const char* calib_file = "calib.ini";
}

Tfcalini::Tfcalini(Global& g, QWidget* parent) : QDialog(parent), g_(g)
{
    setObjectName("fcalini");
    setWindowTitle(QStringLiteral("calib.ini"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    status_ = new QStatusBar(this);
    status_->setObjectName("StatusBar1");
    status_->setSizeGripEnabled(false);
    lay->addWidget(memo_, 1);
    lay->addWidget(status_);
    resize(480, 420);
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
        if (!loading_) changed_ = true;
    });
}

void Tfcalini::load()
{
    loading_ = true;
    memo_->clear();
    QFile f(g_.path(calib_file));
    if (f.exists() && f.open(QIODevice::ReadOnly)) {
        QString text = from_cp1250(f.readAll());
        text.replace("\r\n", "\n");
        memo_->setPlainText(text);
        status_->showMessage(g_.path(calib_file));
    } else {
        memo_->setPlainText(g_.lang.mess(205));
        status_->showMessage(QString());
    }
    loading_ = false;
    changed_ = false;
}

void Tfcalini::showEvent(QShowEvent* event)
{
    load();
    QDialog::showEvent(event);
}

bool Tfcalini::save()
{
    QString text = memo_->toPlainText();
    text.replace('\n', "\r\n");
    if (!text.isEmpty() && !text.endsWith("\r\n")) text += "\r\n";
    const auto bytes = to_cp1250(text);
    QSaveFile f(g_.path(calib_file));
    if (!bytes || !f.open(QIODevice::WriteOnly) || f.write(*bytes) != bytes->size()) {
        f.cancelWriting();
        f.commit();
        return false;
    }
    return f.commit();
}

void Tfcalini::done(int result)
{
    if (changed_) {
        const int answer = g_.ui ? g_.ui->show_message(g_.lang.mess(51), btn::yes | btn::no) : mr::no;
        if (answer == mr::yes && !save()) {
            // The text stays, so the user can save it elsewhere or try again.
            if (g_.ui) g_.ui->plain_message(QStringLiteral("Unable to write to %1").arg(g_.path(calib_file)));
            return;
        }
        changed_ = false;
    }
    QDialog::done(result);
}

} // namespace vx

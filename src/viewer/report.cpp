#include "viewer/report.h"

#include "base/ui_port.h"
#include "logger/program_state.h"
#include "records/record_file.h"
#include "viewer/gif_writer.h"
#include "viewer/record_viewer.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

namespace vx
{

Tfreport::Tfreport(Global& g, QWidget* parent) : QDialog(parent), g_(g)
{
    setObjectName(QStringLiteral("freport"));
    setWindowTitle(QStringLiteral("Report"));

    auto* grid = new QGridLayout;
    const char* const captions[5] = {"Zahlavie", "Pozn1", "Pozn2", "Pozn3", "Pata"};
    QLineEdit** edits[5] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromLatin1(captions[i]), this);
        labels_ << label;
        *edits[i] = new QLineEdit(this);
        (*edits[i])->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        (*edits[i])->setMinimumWidth(320);
        grid->addWidget(label, i, 0);
        grid->addWidget(*edits[i], i, 1);
    }
    Edit1->setText(QStringLiteral("Enter here Header"));
    CheckBox1 = new QCheckBox(QStringLiteral("Otvoriť prehliadač"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);

    auto* info = new QVBoxLayout;
    for (const char* line :
         {"Report vygeneruje HTML stránku <report.html>", "Stránku môžete vytlačiť v prehliadači.",
          "Program vyžaduje muster.html, vzhľad upravíte editorom HTML"}) {
        auto* l = new QLabel(QString::fromUtf8(line), this);
        l->setTextFormat(Qt::PlainText);
        info->addWidget(l);
        labels_ << l;
    }

    BTok = new QPushButton(QStringLiteral("OK"), this);
    BTok->setObjectName(QStringLiteral("BTok"));
    BTok->setDefault(true);
    BTcancel = new QPushButton(this);
    BTcancel->setObjectName(QStringLiteral("BTcancel"));
    connect(BTok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BTcancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch(1);
    buttons->addWidget(BTok);
    buttons->addWidget(BTcancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(info);
    layout->addLayout(buttons);

    ChangeLanguage();
}

void Tfreport::ChangeLanguage()
{
    // Qt's own text, in the language of its translation.
    BTcancel->setText(QCoreApplication::translate("QPlatformTheme", "Cancel"));
    if (!g_.lang.language_loaded) return;
    // LABEL120..124 the fields, 125 the browser box, 126..128 the information lines.
    for (int i = 0; i < 5; ++i)
        labels_[i]->setText(g_.lang.label(120 + i));
    CheckBox1->setText(g_.lang.label(125));
    for (int i = 0; i < 3; ++i)
        labels_[5 + i]->setText(g_.lang.label(126 + i));
}

ReportTexts Tfreport::texts() const
{
    ReportTexts t;
    t.header = Edit1->text();
    t.note1 = Edit2->text();
    t.note2 = Edit3->text();
    t.note3 = Edit4->text();
    t.footer = Edit5->text();
    return t;
}

bool Tfreport::open_browser() const
{
    return CheckBox1->isChecked();
}

ReportResult create_report(Global& g, TEditForm& viewer, Tfreport& dialog, const ReportRun& run)
{
    auto fail = [&g](const QString& text) {
        if (g.ui) g.ui->plain_message(text);
        return ReportResult::failed;
    };
    const QString template_path = g.shipped(QStringLiteral("muster.htm"));
    if (!QFileInfo(template_path).isFile()) {
        if (g.ui) g.ui->show_message(g.lang.mess(40), btn::ok);
        return ReportResult::no_template;
    }
    dialog.move(run.position);
    const bool confirmed = run.ask ? run.ask(dialog) : dialog.exec() == QDialog::Accepted;
    if (!confirmed) return ReportResult::cancelled;

    QString error;
    if (!write_gif(viewer.series_picture(false), g.path(QStringLiteral("temp.gif")), &error))
        return fail(error);
    const bool second = viewer.has_second_series();
    if (second && !write_gif(viewer.series_picture(true), g.path(QStringLiteral("humi.gif")), &error))
        return fail(error);

    QFile in(template_path);
    if (!in.open(QIODevice::ReadOnly)) return fail(in.errorString());
    const QByteArray page = in.readAll();
    if (in.error() != QFileDevice::NoError) return fail(in.errorString());
    in.close();

    ReportTexts texts = dialog.texts();
    const auto [from, to] = viewer.time_range();
    texts.from_time = format_time_stamp(QDateTime::fromSecsSinceEpoch(std::llround(from)));
    texts.to_time = format_time_stamp(QDateTime::fromSecsSinceEpoch(std::llround(to)));
    texts.second_series = second;
    const QByteArray filled = fill_report_template(page, texts);

    const QString report_path = g.path(QStringLiteral("report.htm"));
    QSaveFile out(report_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(filled) != filled.size() || !out.commit())
        return fail(QStringLiteral("Unable to write to %1").arg(report_path));

    if (dialog.open_browser()) {
        const bool opened =
            run.open ? run.open(report_path) : QDesktopServices::openUrl(QUrl::fromLocalFile(report_path));
        if (!opened) fail(QStringLiteral("Unable to open %1").arg(report_path));
    }
    return ReportResult::written;
}

} // namespace vx

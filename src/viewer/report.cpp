#include "viewer/report.h"

#include "base/program_dir.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "records/record_file.h"
#include "records/record_summary.h"
#include "viewer/digest_note.h"
#include "viewer/gif_writer.h"
#include "viewer/record_viewer.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
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
    // The page's file: shown, chosen through the save dialog (which asks before it replaces one).
    file_label_ = new QLabel(this);
    EDfile = new QLineEdit(this);
    EDfile->setObjectName(QStringLiteral("EDfile"));
    EDfile->setReadOnly(true);
    BTfile = new QPushButton(QStringLiteral("..."), this);
    BTfile->setObjectName(QStringLiteral("BTfile"));
    connect(BTfile, &QPushButton::clicked, this, &Tfreport::choose_file);
    auto* file_row = new QHBoxLayout;
    file_row->addWidget(EDfile, 1);
    file_row->addWidget(BTfile);
    grid->addWidget(file_label_, 5, 0);
    grid->addLayout(file_row, 5, 1);
    CheckBox1 = new QCheckBox(QStringLiteral("Otvoriť prehliadač"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);

    auto* info = new QVBoxLayout;
    for (const char* line :
         {"Report vygeneruje HTML stránku do zvoleného súboru", "Stránku môžete vytlačiť v prehliadači.",
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
    file_label_->setText(g_.lang.capt(193));
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

void Tfreport::set_report_path(const QString& path)
{
    path_ = path;
    EDfile->setText(QDir::toNativeSeparators(path));
}

void Tfreport::prepare(const TEditForm& viewer, const QDate& today)
{
    const QString name = QFileInfo(viewer.windowTitle()).completeBaseName();
    // A header never written by the user follows the viewer.
    if (Edit1->text().isEmpty() || Edit1->text() == auto_header_) Edit1->setText(name);
    auto_header_ = name;
    QString dir = last_dir_;
    if (dir.isEmpty()) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        dir = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    }
    const QString base =
        QDir(dir).filePath(name + QLatin1Char(' ') + today.toString(QStringLiteral("yyyy-MM-dd")));
    QString path = base + QStringLiteral(".htm");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral(" (%1).htm").arg(n);
    set_report_path(path);
}

void Tfreport::choose_file()
{
    QString path;
    if (ask_path)
        path = ask_path(path_);
    else
        path = QFileDialog::getSaveFileName(this, g_.lang.capt(194), path_, g_.lang.mess(210));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".htm");
    set_report_path(path);
}

ReportResult create_report(Global& g, TEditForm& viewer, Tfreport& dialog, const ReportRun& run)
{
    auto fail = [&g](const QString& text) {
        if (g.ui) g.ui->plain_message(text);
        return ReportResult::failed;
    };
    const QString template_path = find_report_template(g.program_dir, g.data_dir, g.settings.LANGUAGE);
    if (template_path.isEmpty()) {
        if (g.ui) g.ui->show_message(g.lang.mess(40), btn::ok);
        return ReportResult::no_template;
    }
    dialog.prepare(viewer, g.now().date());
    dialog.move(run.position);
    const bool confirmed = run.ask ? run.ask(dialog) : dialog.exec() == QDialog::Accepted;
    if (!confirmed) return ReportResult::cancelled;

    // The pictures beside the page, named after it: reports never share them.
    const QFileInfo page_file(dialog.report_path());
    const QString stem = page_file.completeBaseName();
    const QString temp_name = stem + QStringLiteral("-temp.gif"),
                  humi_name = stem + QStringLiteral("-humi.gif");
    const QDir dir = page_file.absoluteDir();
    if (!dir.exists() && !QDir().mkpath(dir.path())) return fail(g.lang.mess(208).arg(dir.path()));
    QString error;
    if (!write_gif(viewer.series_picture(false), dir.filePath(temp_name), &error))
        return fail(g.lang.mess(208).arg(QDir::toNativeSeparators(dir.filePath(temp_name))));
    const bool second = viewer.has_second_series();
    if (second && !write_gif(viewer.series_picture(true), dir.filePath(humi_name), &error))
        return fail(g.lang.mess(208).arg(QDir::toNativeSeparators(dir.filePath(humi_name))));

    QFile in(template_path);
    if (!in.open(QIODevice::ReadOnly)) return fail(in.errorString());
    const QByteArray page = in.readAll();
    if (in.error() != QFileDevice::NoError) return fail(in.errorString());
    in.close();

    ReportTexts texts = dialog.texts();
    const RecordSummary summary = viewer.summary();
    // The range of the records shown themselves, not of the axis drawn around them.
    const RecordSummary shown = summarize_records(viewer.text());
    const QString none = QStringLiteral("-----");
    texts.from_time = shown.records ? display_time_stamp(shown.first.time(), summary.type_code) : none;
    texts.to_time = shown.records ? display_time_stamp(shown.last.time(), summary.type_code) : none;
    texts.second_series = second;
    texts.temp_picture = temp_name;
    texts.humi_picture = humi_name;
    texts.summary = summary_html(summary_table(summary, summary_words(g.lang)), g.lang.capt(180));
    texts.digest = digest_html(digest_lines(g.lang, viewer.file_name()));
    const QByteArray filled = fill_report_template(page, texts);

    const QString report_path = page_file.absoluteFilePath();
    QSaveFile out(report_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(filled) != filled.size() || !out.commit())
        return fail(g.lang.mess(208).arg(QDir::toNativeSeparators(report_path)));
    dialog.remember_folder(dir.path());

    if (dialog.open_browser()) {
        const bool opened =
            run.open ? run.open(report_path) : QDesktopServices::openUrl(QUrl::fromLocalFile(report_path));
        if (!opened) fail(g.lang.mess(209).arg(QDir::toNativeSeparators(report_path)));
    }
    return ReportResult::written;
}

} // namespace vx

#include "viewer/print_dialog.h"

#include "base/settings.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "records/record_summary.h"
#include "viewer/digest_note.h"
#include "viewer/printing.h"
#include "viewer/record_viewer.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace vx
{

Tfrmprint::Tfrmprint(Global& g, QWidget* parent) : QDialog(parent), g_(g)
{
    setObjectName(QStringLiteral("frmprint"));
    setWindowTitle(QStringLiteral("Print"));

    const char* const captions[4] = {"Stĺpcov na stranu", "Riadkov na stranu", "Záhlavie", "Päta"};
    for (int i = 0; i < 4; ++i)
        labels_[i] = new QLabel(QString::fromUtf8(captions[i]), this);
    // The edit and its up-down buttons are one control here.
    Ednumcols = new QSpinBox(this);
    Ednumcols->setObjectName(QStringLiteral("Ednumcols"));
    Ednumcols->setRange(1, 20);
    EDnumrows = new QSpinBox(this);
    EDnumrows->setObjectName(QStringLiteral("EDnumrows"));
    EDnumrows->setRange(1, 1000);
    EDhead = new QLineEdit(this);
    EDhead->setObjectName(QStringLiteral("EDhead"));
    EDpata = new QLineEdit(this);
    EDpata->setObjectName(QStringLiteral("EDpata"));

    GroupBox1 = new QGroupBox(QStringLiteral("Tlačiareň"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMinimumWidth(220);
    // The list only shows the choice; "Nastavenie" changes it.
    ComboBox1->setEnabled(false);
    BTsetup = new QPushButton(GroupBox1);
    BTsetup->setObjectName(QStringLiteral("BTsetup"));
    auto* printer_row = new QHBoxLayout(GroupBox1);
    printer_row->addWidget(ComboBox1, 1);
    printer_row->addWidget(BTsetup);

    BTok = new QPushButton(QStringLiteral("OK"), this);
    BTok->setObjectName(QStringLiteral("BTok"));
    BTok->setDefault(true);
    BTcancel = new QPushButton(QStringLiteral("Zrušiť"), this);
    BTcancel->setObjectName(QStringLiteral("BTcancel"));

    auto* grid = new QGridLayout;
    QWidget* fields[4] = {Ednumcols, EDnumrows, EDhead, EDpata};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(labels_[i], i, 0);
        grid->addWidget(fields[i], i, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BTok);
    buttons->addWidget(BTcancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);

    connect(BTok, &QPushButton::clicked, this, &Tfrmprint::accept);
    connect(BTcancel, &QPushButton::clicked, this, &Tfrmprint::reject);
    connect(BTsetup, &QPushButton::clicked, this, [this] {
        if (setup_printer()) fill_printers();
    });
    ChangeLanguage();
}

PrintSettings Tfrmprint::settings_of(const Global& g)
{
    return {g.settings.print_cols, g.settings.print_rows, g.settings.print_head, g.settings.print_foot,
            g.lang.label(98)};
}

void Tfrmprint::load()
{
    Ednumcols->setValue(g_.settings.print_cols);
    EDnumrows->setValue(g_.settings.print_rows);
    EDhead->setText(g_.settings.print_head);
    EDpata->setText(g_.settings.print_foot);
}

void Tfrmprint::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    fill_printers();
}

void Tfrmprint::fill_printers()
{
    ComboBox1->clear();
    ComboBox1->addItems(QPrinterInfo::availablePrinterNames());
    if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty()) {
        ComboBox1->addItem(QStringLiteral("PDF: ") + QDir::toNativeSeparators(printer_.outputFileName()));
        ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
        return;
    }
    ComboBox1->setCurrentIndex(ComboBox1->findText(printer_.printerName()));
}

namespace
{

// The summary lines a printout of viewer starts with.
QStringList printed_summary(const Global& g, const TEditForm& viewer)
{
    // The record file's SHA-256 and whether it is as the program left it close the summary.
    return summary_lines(summary_table(viewer.summary(), summary_words(g.lang)), g.lang.capt(180)) +
           digest_lines(g.lang, viewer.file_name());
}

} // namespace

bool Tfrmprint::print_viewer(TEditForm& viewer)
{
    // Without a system printer the dialog offers a PDF file: one named after the viewer.
    if (printer_.outputFileName().isEmpty() && QPrinterInfo::availablePrinterNames().isEmpty()) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString dir = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        printer_.setOutputFileName(dir + QLatin1Char('/') +
                                   QFileInfo(viewer.windowTitle()).completeBaseName() +
                                   QStringLiteral(".pdf"));
    }
    if (!setup_printer()) return false;
    if (printmake(viewer, settings_of(g_), printer_, g_.now(), printed_summary(g_, viewer))) return true;
    if (g_.ui)
        g_.ui->plain_message(g_.lang.mess(207).arg(
            printer_.outputFileName().isEmpty() ? printer_.printerName()
                                                : QDir::toNativeSeparators(printer_.outputFileName())));
    return false;
}

void Tfrmprint::preview_viewer(TEditForm& viewer)
{
    const QStringList summary = printed_summary(g_, viewer);
    const QDateTime now = g_.now();
    QPrintPreviewDialog dialog(&printer_, this);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(g_.lang.capt(195));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* printer) {
        if (!printmake(viewer, settings_of(g_), *printer, now, summary) && g_.ui)
            g_.ui->plain_message(g_.lang.mess(207).arg(printer->printerName()));
    });
    if (show_preview)
        show_preview(dialog);
    else
        dialog.exec();
}

bool Tfrmprint::setup_printer()
{
    if (ask_printer) return ask_printer(printer_);
    QPrintDialog dialog(&printer_, this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

void Tfrmprint::accept()
{
    Settings& s = g_.settings;
    s.print_cols = Ednumcols->value();
    s.print_rows = EDnumrows->value();
    s.print_head = EDhead->text();
    s.print_foot = EDpata->text();
    QString error;
    const bool written =
        write_setting_int(g_.program_dir, key::PRINTER, key::ROWS, s.print_rows, &error) &&
        write_setting_int(g_.program_dir, key::PRINTER, key::COLS, s.print_cols, &error) &&
        write_setting_string(g_.program_dir, key::PRINTER, key::HEAD, s.print_head, &error) &&
        write_setting_string(g_.program_dir, key::PRINTER, key::FOOT, s.print_foot, &error);
    if (!written) {
        if (g_.ui) g_.ui->plain_message(error);
        return;
    }
    QDialog::accept();
}

void Tfrmprint::ChangeLanguage()
{
    const Language& L = g_.lang;
    BTsetup->setText(L.capt(34));
    if (!L.language_loaded) return;
    // CAPT110 the window, 111 and 112 its buttons; LABEL110..113 the fields, 114 the printer group.
    setWindowTitle(L.capt(110));
    BTok->setText(L.capt(111));
    BTcancel->setText(L.capt(112));
    for (int i = 0; i < 4; ++i)
        labels_[i]->setText(L.label(110 + i));
    GroupBox1->setTitle(L.label(114));
}

} // namespace vx

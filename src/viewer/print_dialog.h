#pragma once
// The print settings dialog Tfrmprint ("Print"): columns and lines per page,
// header and footer texts, and the printer. The list shows the system's
// printers (and the PDF file when printing goes to one); "Nastavenie" opens
// the system's print dialog, where a printer or a PDF file is chosen. The
// dialog owns the program's printer.
#include "records/print_layout.h"

#include <QDialog>
#include <QPrinter>
#include <functional>

class QComboBox;
class QPrintPreviewDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vx
{

struct Global;
class TEditForm;

class Tfrmprint : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmprint(Global& g, QWidget* parent = nullptr);

    // The printer that printing uses.
    QPrinter& printer() { return printer_; }

    // Fills the controls from the print settings in memory.
    void load();
    // OK: takes the controls into the settings in memory and writes ROWS,
    // COLS, HEAD and FOOT to section PRINTER; a failed write is shown and
    // keeps the dialog open.
    void accept() override;
    // Lists the system's printers and selects the current one.
    void fill_printers();
    // The system's print dialog for the printer; true when confirmed.
    bool setup_printer();
    // Replaces the system's print dialog (tests): returns whether it was confirmed.
    std::function<bool(QPrinter&)> ask_printer;
    // Prints the viewer's text and the summary of its records on the printer
    // with the settings in memory, after the system's print dialog (a
    // printer, or a PDF file: an existing one is replaced only when the user
    // says so). A failure is shown (MESS207); false when cancelled or failed.
    bool print_viewer(TEditForm& viewer);
    // The pages print_viewer would print, in the print preview ("Náhľad pred
    // tlačou"), from where they can be printed.
    void preview_viewer(TEditForm& viewer);
    // Replaces showing the preview modally (tests).
    std::function<void(QPrintPreviewDialog&)> show_preview;

    // The settings in memory as the layout takes them.
    static PrintSettings settings_of(const Global& g);

    void ChangeLanguage();

    QSpinBox *Ednumcols = nullptr, *EDnumrows = nullptr;
    QLineEdit *EDhead = nullptr, *EDpata = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton *BTsetup = nullptr, *BTok = nullptr, *BTcancel = nullptr;
    QGroupBox* GroupBox1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Global& g_;
    QPrinter printer_;
    QLabel* labels_[4] = {};
};

} // namespace vx

#pragma once
// The audit trail window Tfrmaudit ("Záznam auditu" under "Služby"): the
// entries of the trail (base/audit_trail.h), filtered by logger and time,
// whether the trail's chain holds (the entry that breaks it is marked), and a
// printout of what the table shows.
#include "base/audit_trail.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace vx
{

struct Global;

class Tfrmaudit : public QDialog
{
    Q_OBJECT
public:
    // printer: the program's printer (the print settings dialog's).
    Tfrmaudit(Global& g, QPrinter& printer, QWidget* parent = nullptr);

    // Reads the trail again: the logger list, the table, the chain's state.
    void load();
    // Shows the entries of the chosen logger and time span.
    void apply_filter();
    // The texts from the language table.
    void ChangeLanguage();
    // What a printout holds: the title, the filter, the table shown and the
    // chain's state, as HTML.
    QString printout() const;
    // "Tlačiť": asks for the printer (choose_printer when set) and prints.
    void print();
    // Replaces the print dialog (tests): true to print on the printer given.
    std::function<bool(QPrinter&)> choose_printer;

    // Controls, named as their roles.
    QComboBox* CBlogger = nullptr;
    QCheckBox *CHKfrom = nullptr, *CHKto = nullptr;
    QDateTimeEdit *DTfrom = nullptr, *DTto = nullptr;
    QTableWidget* LVtrail = nullptr;
    QLabel *LBLlogger = nullptr, *LBLchain = nullptr;
    QPushButton *BTrefresh = nullptr, *BTprint = nullptr, *BTclose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The chain's state in the language in use.
    QString chain_text() const;

    Global& g_;
    QPrinter& printer_;
    AuditRead read_;
};

} // namespace vx

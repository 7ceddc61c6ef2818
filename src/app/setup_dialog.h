#pragma once
// The setup dialog Tfrmsetup ("Nastavenia"): the program settings (COM port,
// window behaviour, tips, clock check, log directory) stored when the dialog
// is confirmed, and, in service mode, the device settings of the attached
// logger sent by "Odoslať" (programming/device_setup.h).
#include "app/dialog_controls.h"
#include "programming/device_setup.h"

#include <QDialog>
#include <QMap>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vx
{

struct Global;
class UpDown;

class Tfrmsetup : public QDialog
{
    Q_OBJECT
public:
    // Results of exec(): OK, "Zrušiť" (and the close box), Escape.
    static constexpr int confirmed = QDialog::Accepted;
    static constexpr int cancelled = QDialog::Rejected;
    static constexpr int escaped = 2;

    struct Hooks {
        std::function<void(const QString&)> show_tip = {}; // a contextual tip of the main window
        std::function<void()> refresh_database = {};       // the database browser lists the log directory
        std::function<void(bool)> show_tips = {};          // the tip window shown (tips on) or closed
        std::function<void(const QString&)> show_status =
            {}; // the status bar's text ("Overené" after a send)
    };

    Tfrmsetup(Global& g, Hooks hooks, QWidget* parent = nullptr);

    // Service mode: the access code of the serial-number change was accepted in this run.
    void set_service_mode(bool on) { service_ = on; }
    // The caller's part before showing: the temperature offset into EDtempoff,
    // the COM port selected, the COM-changed flag cleared.
    void prepare_for_show(float correction1, int com_port);
    bool com_changed() const { return com_changed_; }
    int selected_com() const; // 1..16
    // The last confirmation chose another language section (LANGUAGE is written).
    bool language_changed() const { return language_changed_; }

    // The texts of the table's own, and with a language section loaded those
    // of the window's block.
    void ChangeLanguage();
    // The device fields as they are now, and as they were filled from the logger.
    SetupForm form() const;
    const SetupForm& shown() const { return shown_; }

    // Controls (objectName = member name).
    QTabWidget* PageControl1;
    QWidget *TabSheet2, *TabSheet3, *TabSheet4, *TabSheet5, *TabLumeo, *TabTHIOUT, *tablcdflow, *tabvietor,
        *tabpress;
    QGroupBox* RGcomport;
    QButtonGroup* com_buttons;
    // The device the selected COM number maps to, chosen among the serial
    // devices present; stored in section PORTS when the dialog is confirmed.
    QLabel* LBLcomdevice;
    QComboBox* CBcomdevice;
    // The language: the sections of the language file (LANGUAGE when confirmed).
    QComboBox* CBlanguage;
    // Where the serial devices are looked for ("/dev"; tests give a tree of their own).
    QString device_root = QStringLiteral("/dev");
    QCheckBox *CHKautograph, *CHKmaxim, *chktip, *chkchecktime;
    QGroupBox* GroupBox1;
    QLabel *Label1, *LBLbatlo, *LBLmeaslen, *LBLA0, *LBLA1, *LBLA2, *LBLlogdir;
    QLineEdit *EDtempoff, *edbatlo, *EDMeaslen, *EDA0, *EDA1, *EDA2, *edposunT2;
    UpDown *Updndoba, *UDT4mA, *UDT20mA;
    QCheckBox* chkbat;
    QGroupBox* groupcal;
    QWidget* PanOffset2;
    QPushButton *BTsendlcd, *BitBtn1, *BTsend, *Button1, *btok, *Button2;
    QLineEdit *EDoffSuchy, *EDoffMokry;
    QPushButton *BTidSuchy, *BTidmokry, *BTsendPsychro;
    QGroupBox* RGtempNotacia;
    QRadioButton *RBcelsius, *RBfahrenheit;
    QLineEdit* EDlumeooff;
    QCheckBox* CHKdebugLC;
    QLineEdit *ED_pwmT4, *ED_pwmT20, *ED_pwmH4, *ED_pwmH20, *ED_temp4, *ED_temp20;
    QLineEdit *EDFlowA, *EDflowB;
    QGroupBox* RGflowtype;
    QButtonGroup* flow_buttons;
    QLineEdit *edr0, *edr1, *eds0, *eds1, *edpress;

protected:
    // FormShow: prepares the tabs and fields for the attached model.
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QWidget* build_general();
    QWidget* build_device();
    QWidget* build_database();
    QWidget* build_psychro();
    QWidget* build_lumeo();
    QWidget* build_current_output();
    QWidget* build_flow();
    QWidget* build_wind();
    QWidget* build_pressure();
    void connect_changes();
    void prepare();
    void prepare_device(std::uint16_t type);
    void show_tab(QWidget* tab, bool shown);
    void ask_service_code();
    void btokClick();
    void BTsendClick();
    void BTsendPsychroClick();
    // After a send the fields show what the logger holds now.
    void after_send();
    void remember_shown();
    QString mapped_device(int com) const;
    void show_com_device();
    void show_languages();
    bool store_language(QString* error);
    void restore_designed();
    void apply_block_texts();
    bool store_port_devices(QString* error);

    Global& g_;
    Hooks hooks_;
    DeviceSetup setup_;
    // What the fields showed of the logger: a field still equal to it is left as the logger holds it.
    SetupForm shown_;
    QString shown_dry_, shown_wet_;
    std::uint16_t shown_serial_ = 0;
    bool resend_pressure_ = false; // 133: the first send after opening carries the pressure offset
    // A control's caption and hint before any model changed them.
    struct Designed {
        QWidget* widget;
        QString caption, hint;
    };
    std::vector<Designed> designed_;
    OwnTexts own_;
    bool service_ = false;
    bool com_changed_ = false;
    bool language_changed_ = false;
    QMap<int, QString> new_devices_; // COM number -> device chosen in this showing
};

// Moves the link to COM port new_port: closes the port when open, takes the
// number, reopens. On failure shows MESS1 with what to do about it (see
// port_failure_text) and leaves the link closed (the number and a device
// chosen for it are kept in memory, not in the file); on success writes
// "ComPort", and the port's device in section PORTS, into the settings file.
// True when the port is open afterwards.
bool change_com_port(Global& g, int new_port);

// MESS1, and below it what the user can do about the reason the port did
// not open (no permission: the dialout group; in use by another program).
QString port_failure_text(const Global& g);

} // namespace vx

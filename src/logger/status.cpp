// Identification and decoding of status replies; see status.h for the layout.
#include "logger/status.h"

#include "base/code_page.h"
#include "base/language.h"
#include "base/number_format.h"
#include "logger/catalogue.h"
#include "logger/daynum.h"
#include "logger/live.h"

#include <QColor>

namespace vx
{

namespace
{

QString text(const char* s)
{
    return QString::fromUtf8(s);
}

// Hints take line breaks as LF, whatever the source wrote.
QString hint_text(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// The texts the main window shows when no model adapts them: its designed
// ones, or, with a language section loaded, the entries its ChangeLanguage
// gives these controls.
struct Designed {
    const Language* lang;
    QString label(int n, const char* designed) const { return loaded() ? lang->label(n) : text(designed); }
    QString hint(int n, const char* designed) const
    {
        return loaded() ? hint_text(lang->hint(n)) : text(designed);
    }
    bool loaded() const { return lang && lang->language_loaded; }
    // A text of the table's own (LABEL9 and on): the built-in one without a table.
    QString own(const char* key) const
    {
        return lang ? lang->text(QLatin1String(key)) : builtin_text(QLatin1String(key));
    }
};

// Every decode sets the adaptable captions of the window, so a logger that
// replaces another one on the cable never inherits the other's adaptations.
void form_defaults(StatusView& v, const ModelRow& row, const Language* lang)
{
    const Designed d{lang};
    QString label1 = d.label(main_text::LBLaktval, "Teplota:");
    if (row.label1_language && lang) {
        const QString t = lang->label(10);
        if (!t.isEmpty()) label1 = t;
    }
    if (row.label1.set()) label1 = row.label1.resolve(lang);
    v.LBLaktval.text = label1;
    v.LBLunit1.text = row.unit1.set() ? row.unit1.resolve(lang) : d.label(main_text::LBLunit1, "'C");
    v.LBLunit1.visible = !row.unit1_hidden;
    v.LBLhumi.text = row.label2.set() ? row.label2.resolve(lang) : d.label(main_text::LBLhumi, "Vlhkost:");
    v.LBLunit2.text = row.unit2.set() ? row.unit2.resolve(lang) : d.label(main_text::LBLunit2, "%RH");
    v.pantemp.hint =
        row.hint1.set() ? hint_text(row.hint1.resolve(lang)) : d.hint(main_text::pantemp_hint, "");
    v.panhumi.hint =
        row.hint2.set() ? hint_text(row.hint2.resolve(lang)) : d.hint(main_text::panhumi_hint, "");
    v.panhumi.visible = true;
    v.PanTempFahren.visible = false;
    v.PanTempFahren.hint = d.hint(main_text::PanTempFahren_hint, "Aktuálna teplota [Fahrenheit]");
    v.panIBname.visible = row.key_list;
    v.chkpriemer.visible = false;

    const bool key_logger = row.type == 93;
    v.tab_conditions_visible = !key_logger;
    v.mission_timing_visible = !key_logger;
    v.start_timing_inputs_visible = !key_logger;
    v.LBLperiodunit.text = d.label(main_text::LBLperiodunit, "min");

    const bool threshold_shown = row.type != 102;
    v.LBLgrad.visible = threshold_shown;
    v.PanGrad.visible = threshold_shown;
    v.LBLgradunit.visible = threshold_shown && row.type != 107;
    v.LBLgradunit.text = d.label(main_text::LBLgradunit, "'C");
    v.PanGrad.hint = row.type == 107 ? hint_text(d.own("HINT27"))
                                     : d.hint(main_text::PanGrad_hint, "Zapíše pri zmene teploty o");

    v.Hranice.visible = row.type == 101 || row.type == 103 || row.type == 129;
    v.LBLlo.text = d.label(main_text::LBLlo, "Spodna");
    v.LBLhi.text = d.label(main_text::LBLhi, "Horna");
    v.LBLlo.visible = row.type != 107;
    v.panLo.visible = row.type != 107;
    v.LBLhi.visible = true;
    v.PanHI.visible = true;

    v.LBLbat.text = d.label(main_text::LBLbat, "Batéria:");
    v.panbat.hint = d.hint(main_text::panbat_hint, "");
    v.LBLbat.visible = row.battery != BatteryRule::hidden;
    v.panbat.visible = row.battery != BatteryRule::hidden;
    if (row.setup_calib_group >= 0) v.setup_calib_group_visible = row.setup_calib_group == 1;
    if (row.setup_correction) v.setup_correction_enabled = true;
}

void show_battery(StatusView& v, const ModelRow& row, int raw, bool diagnostic, const Language* lang)
{
    auto volts = [&](double value, double red_below, bool coloured) {
        // The value is held in single precision before it is compared.
        const float f = static_cast<float>(value);
        v.panbat.text = format_number("%1.1f V", f);
        if (coloured)
            v.panbat.color = static_cast<double>(f) < red_below ? QColor(Qt::red) : QColor(Qt::white);
    };
    switch (row.battery) {
    case BatteryRule::percent_x5:
        v.panbat.text = raw < 21 ? QString::number(raw * 5) + QLatin1Char('%') : text("Error");
        break;
    case BatteryRule::volts_analog:
        volts(raw * (-0.04542) + 11.91, 0, false);
        break;
    case BatteryRule::volts_alkaline:
        volts(raw * (-0.03182) + 8.1, 2.7, true);
        v.panbat.hint = hint_text(Designed{lang}.own("HINT28"));
        if (diagnostic) v.LBLbat.text = Designed{lang}.own("LABEL14") + QString::number(raw);
        break;
    case BatteryRule::volts_printer:
        volts(raw * 4 * 0.009047897 + 0.037091121, 7.0, true);
        break;
    case BatteryRule::volts_wind:
        volts(raw * (-0.022574203) + 7.76, 3.4, true);
        break;
    case BatteryRule::volts_div30:
        volts(raw / 30.0, 2.7, true);
        break;
    case BatteryRule::percent_usb: {
        int percent = (138 - raw) * 3;
        if (percent > 99) percent = 100;
        if (percent < 0) percent = 0;
        v.panbat.text = format_number("%1.0f %%", percent);
        break;
    }
    case BatteryRule::hidden:
        break;
    case BatteryRule::not_available:
        v.panbat.text = text("----");
        break;
    }
}

// Type 101: signed limit bytes, 127 = not set.
void show_limit_101(ControlView& label, ControlView& panel, int byte, const QString& caption,
                    const QString& hint)
{
    const int value = byte >= 128 ? byte - 256 : byte;
    const bool set = value != 127;
    label.visible = set;
    panel.visible = set;
    if (!set) return;
    label.text = caption;
    panel.text = QString::number(value);
    panel.hint = hint;
}

std::optional<int> bcd(int byte)
{
    const int hi = byte >> 4, lo = byte & 0x0F;
    if (hi > 9 || lo > 9) return std::nullopt;
    return hi * 10 + lo;
}

void decode_old_format(ByteView reply, const DecodeInputs& in, StatusDecode& d)
{
    const ByteView answer = reply.subspan(5, 23);
    const auto sum = sum8(answer, 0, 22);
    if (!sum || *sum != answer[22]) return;
    if (answer[2] < 30 || answer[2] - 30 != 55) return;
    d.ident.type_code = 55;
    const ModelRow& row = *find_model(55);
    StatusView& v = d.view;
    d.status = in.status;
    d.coef = in.coef;
    d.old_format = true;
    form_defaults(v, row, in.lang);
    v.pantype.text = row.caption.resolve(in.lang);
    v.pantype.hint = QString();
    v.Panmisname.text = Designed{in.lang}.own("LABEL9");
    v.panmisname2.text = v.Panmisname.text;
    show_battery(v, row, 0, false, in.lang);
    v.BevelHumi.visible = false;

    const std::uint16_t serial = *u16le_at(answer, 0);
    d.status.serial = serial;
    v.pansn.text = QString::number(serial);
    v.window_title = text("VORLAN ANALOG") + QString::number(serial);

    const auto sec = bcd(answer[5]), min = bcd(answer[6]), hour = bcd(answer[7]);
    const int day_byte = answer[8], month_byte = answer[9];
    const int day_units = day_byte & 0x0F, month_units = month_byte & 0x0F;
    std::optional<QDateTime> when;
    if (sec && min && hour && day_units <= 9 && month_units <= 9 && in.pc_date.isValid()) {
        const int day = ((day_byte >> 4) & 0x03) * 10 + day_units;
        const int month = ((month_byte >> 4) & 0x01) * 10 + month_units;
        int year = in.pc_date.year();
        while (((year % 4) + 4) % 4 != (day_byte >> 6))
            --year;
        const QDate date(year, month, day);
        const QTime time(*hour, *min, *sec);
        if (date.isValid() && time.isValid()) when = QDateTime(date, time);
    }
    if (when) {
        d.status.logger_time = *when;
        d.clock_valid = true;
        v.PanTime.text = logger_time_text(*when);
    } else {
        v.PanTime.text = text("Error");
    }

    d.status.interval = answer[16];
    d.status.mission_on = answer[16] != 0;
    d.status.rollover = true;
    v.PanPeriod.text = QString::number(answer[16]);
    v.CHKmission.checked = answer[16] != 0;
    v.CHKroll.checked = true;

    d.status.record_pointer = *u16be_at(answer, 12);
    v.panptr.text = QString::number(d.status.record_pointer);
    d.pointer_tip = d.status.record_pointer > 5400;
    d.status.change_threshold = *u16be_at(answer, 18);
    d.recognised = true;
}

} // namespace

QString logger_time_text(const QDateTime& t)
{
    return t.date().toString(QStringLiteral("d.M.yyyy")) + QLatin1Char(' ') +
           t.time().toString(QStringLiteral("hh:mm:ss"));
}

bool status_reply_complete(ByteView reply)
{
    if (reply.size() < 6) return false;
    // The old-format status starts with the serial number, whose low byte may read as any type.
    if (const ModelRow* row = find_model(reply[5]); row && row->length_rule != LengthRule::old_format)
        return reply.size() >= status_reply_length(*row);
    if (reply.size() != 28) return false;
    const auto sum = sum8(reply, 5, 22);
    return sum && *sum == reply[27] && reply[7] == 55 + 30;
}

StatusDecode identify_and_decode(ByteView reply, const DecodeInputs& in)
{
    StatusDecode d;
    d.ident = in.ident;
    d.ident.type_code = 0;
    if (reply.size() == 28) {
        decode_old_format(reply, in, d);
        return d;
    }
    if (reply.size() < 29) return d;

    const std::uint16_t type = reply[5];
    d.ident.type_code = type;
    d.ident.record_length = 6;
    d.ident.ring_size = 5201;
    const ModelRow* row = find_model(type);
    if (!row || row->length_rule == LengthRule::old_format) return d;
    if (!status_length_ok(*row, static_cast<int>(reply.size()))) return d;
    d.ident.ring_size = row->ring_size;
    d.ident.record_length = row->record_length;

    d.status = in.status;
    d.coef = in.coef;
    StatusView& v = d.view;
    Status& s = d.status;
    form_defaults(v, *row, in.lang);
    v.pantype.text = row->caption.resolve(in.lang);
    v.pantype.hint = hint_text(row->description.resolve(in.lang));

    // Every field below lies within the 29 bytes that every model sends.
    const int sec = reply[6], min = reply[7], hour = reply[8];
    s.serial = *u16le_at(reply, 16);
    v.pansn.text = QString::number(s.serial);
    v.window_title = text("VORLAN ") + QString::number(s.serial);

    if (sec >= 60 || min >= 60 || hour >= 24) {
        v.PanTime.text = text("Error");
    } else {
        const QDateTime when(date_from_day_number(*u16le_at(reply, 9)), QTime(hour, min, sec));
        if (when.isValid()) {
            s.logger_time = when;
            d.clock_valid = true;
            v.PanTime.text = logger_time_text(when);
        } else {
            v.PanTime.text = text("Error");
        }
    }

    const Calibration* calib = in.load_calibration ? in.load_calibration(s.serial) : nullptr;

    s.interval = reply[18];
    if (type == 132 && s.interval > 60) {
        v.PanPeriod.text = QString::number(s.interval - 60);
        v.LBLperiodunit.text = Designed{in.lang}.own("LABEL13");
    } else {
        v.PanPeriod.text = QString::number(s.interval);
    }

    s.change_threshold = reply[19];
    v.PanGrad.text = format_number("%4.1f", type == 107 ? s.change_threshold : s.change_threshold / 16.0);

    s.rollover = reply[20] != 0;
    s.mission_on = reply[21] != 0;
    v.CHKroll.checked = s.rollover;
    v.CHKmission.checked = s.mission_on;

    s.corr1 = correction_value(reply[22]);
    s.corr2 = (type == 99 || type == 105 || type == 108) ? correction_value(reply[23]) : 0.0f;
    // Type 131 corrects its second sensor itself, yet takes and reports the offset.
    s.offset2 =
        (type == 99 || type == 105 || type == 108 || type == 131) ? correction_value(reply[23]) : 0.0f;

    if (type == 101) {
        const Designed d{in.lang};
        show_limit_101(v.LBLlo, v.panLo, reply[23], d.own("LABEL15"), d.own("HINT29"));
        show_limit_101(v.LBLhi, v.PanHI, reply[24], d.own("LABEL16"), d.own("HINT55"));
    }

    LiveInputs live_in;
    live_in.corr1 = s.corr1;
    live_in.corr2 = s.corr2;
    live_in.diagnostic = in.diagnostic;
    live_in.calib = calib;
    live_in.lang = in.lang;
    const LiveResult live = decode_live(reply, *row, live_in, d.coef, v);
    if (live.outcome == LiveResult::not_readable) return d;
    if (live.outcome == LiveResult::unchanged) {
        // Too short for this model's live values: the live panels keep what
        // they show, the Fahrenheit or air-pressure panel included.
        for (ControlView* c : {&v.pantemp, &v.panhumi, &v.PanTempFahren, &v.panIBname, &v.BevelHumi})
            *c = ControlView{};
    }
    s.corr1 = live.corr1;
    s.corr2 = live.corr2;
    s.lower_limit = live.lower_limit;
    s.upper_limit = live.upper_limit;
    // Type 101: byte 24 is the upper limit (127: none); byte 23 is a siren threshold, no lower limit.
    if (type == 101 && reply[24] != 127) s.upper_limit = reply[24] >= 128 ? reply[24] - 256 : reply[24];
    d.coef.humidity_block_valid = live.humidity_block_valid;
    d.key = live.key;

    const int pointer = *u16le_at(reply, 11);
    s.record_pointer = pointer > d.ident.ring_size + 1 ? -1 : pointer;
    v.panptr.text = s.record_pointer < 0 ? text("Error") : QString::number(s.record_pointer);

    s.start_delay = *u16le_at(reply, 13);
    if (s.start_delay >= 1 && s.start_delay <= 32767 && s.logger_time.isValid()) {
        const QDateTime start = s.logger_time.addSecs(60LL * (s.start_delay + 1));
        v.PANdelay.text = start.toString(QStringLiteral("d.M.yyyy hh:mm"));
    } else {
        v.PANdelay.text = QString();
    }
    v.Panel3.text = mission_start_text(s, type, d.ident.ring_size);
    v.Panel3.hint = hint_text(Designed{in.lang}.own("HINT91"));

    s.battery = reply[15];
    show_battery(v, *row, s.battery, in.diagnostic, in.lang);

    d.recognised = true;
    return d;
}

QString mission_start_text(const Status& s, std::uint16_t type, int ring_size)
{
    if (!s.mission_on || s.start_delay != 0 || s.change_threshold != 0 || !s.logger_time.isValid()) return {};
    if (s.record_pointer < 0 || s.record_pointer > ring_size || s.interval < 1) return {};
    // Type 132 counts intervals above 60 as seconds.
    const qint64 step = type == 132 && s.interval > 60 ? s.interval - 60 : 60LL * s.interval;
    const QDateTime start = s.logger_time.addSecs(-step * s.record_pointer);
    return start.toString(QStringLiteral("d.M.yyyy hh:mm"));
}

std::optional<QString> decode_name_block(ByteView reply)
{
    const auto sum = sum8(reply, 5, 16);
    const auto check = u8_at(reply, 21);
    if (!sum || !check || *sum != *check) return std::nullopt;
    const QByteArray raw(reinterpret_cast<const char*>(reply.data() + 5), 16);
    return without_trailing_blanks(from_cp1250_distinct(raw));
}

} // namespace vx

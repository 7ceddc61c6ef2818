// Live readings of the status reply; see live.h for the byte layout.
#include "logger/live.h"

#include "base/calibration.h"
#include "base/code_page.h"
#include "base/language.h"
#include "base/number_format.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace vx
{

namespace
{

const char* error_text = "Error";
const char* error_caps = "ERROR";

QString text(const char* s)
{
    return QString::fromUtf8(s);
}

// A language text such as "HINT56", its line breaks as LF.
QString own(const LiveInputs& in, const char* key)
{
    QString s = in.lang ? in.lang->text(QLatin1String(key)) : builtin_text(QLatin1String(key));
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Reads the fields a conversion needs; remembers when one is past the end.
struct Reader {
    ByteView b;
    bool missing = false;
    int u8(std::size_t i)
    {
        const auto v = u8_at(b, i);
        if (!v) missing = true;
        return v.value_or(0);
    }
    int u16(std::size_t i)
    {
        const auto v = u16le_at(b, i);
        if (!v) missing = true;
        return v.value_or(0);
    }
};

// Floating-point coefficient block: count bytes from `from` that add up to
// 0xAA, floats at from, from + 4, ...
struct FloatBlock {
    std::size_t min_length, from, count;
    int floats;
};

std::optional<FloatBlock> float_block(std::uint16_t type)
{
    switch (type) {
    case 86:
    case 94:
    case 95:
    case 97:
    case 101:
    case 103:
    case 129:
        return FloatBlock{42, 29, 13, 3};
    case 130:
    case 132:
        return FloatBlock{47, 30, 13, 3};
    case 87:
    case 88:
    case 92:
        return FloatBlock{44, 31, 13, 3};
    case 108:
        return FloatBlock{45, 32, 13, 3};
    case 111:
        return FloatBlock{47, 30, 17, 4};
    default:
        return std::nullopt;
    }
}

// A byte kept for record decoding: 128 and above stored as 127 minus the value.
int folded(int byte)
{
    return byte >= 128 ? 127 - byte : byte;
}

} // namespace

std::size_t status_reply_length(const ModelRow& row)
{
    std::size_t n = static_cast<std::size_t>(std::max(row.status_length, row.live_length));
    if (const auto block = float_block(row.type)) n = std::max(n, block->min_length);
    switch (row.type) {
    case 99: // the wet sensor's error flag at 31
        return std::max<std::size_t>(n, 32);
    case 107: // the flow coefficient block
        return std::max<std::size_t>(n, 42);
    case 100: // the humidity trim
    case 106:
        return std::max<std::size_t>(n, 44);
    case 133:
        return std::max<std::size_t>(n, 45);
    case 103: // the recording limits
    case 129:
        return std::max<std::size_t>(n, 46);
    default:
        return n;
    }
}

bool read_coefficients(ByteView reply, std::uint16_t type, Coefficients& c)
{
    if (type == 107) {
        // Flow meters: whole-number coefficients in 7 bytes from offset 29.
        const auto sum = sum8(reply, 29, 7);
        if (reply.size() >= 42 && sum && *sum == 0xAA) {
            c.a0 = *u16le_at(reply, 30);
            c.a1 = *u16le_at(reply, 32);
            c.a2 = *u8_at(reply, 34);
            return true;
        }
        c.a0 = -1;
        c.a1 = -1;
        return false;
    }
    const auto block = float_block(type);
    if (!block) return true;
    const auto sum = sum8(reply, block->from, block->count);
    if (reply.size() >= block->min_length && sum && *sum == 0xAA) {
        c.a0 = *f32le_at(reply, block->from);
        c.a1 = *f32le_at(reply, block->from + 4);
        c.a2 = *f32le_at(reply, block->from + 8);
        if (block->floats == 4) c.a3 = *f32le_at(reply, block->from + 12);
        return true;
    }
    c.a0 = 0;
    c.a1 = 1;
    c.a2 = 0;
    if (block->floats == 4) c.a3 = 1;
    return false;
}

bool read_humidity_trim(ByteView reply, std::uint16_t type, Coefficients& c)
{
    const std::size_t shift = type == 133 ? 1 : 0;
    if (reply.size() < 44 + shift) return false;
    c.F0 = *u16le_at(reply, 31 + shift);
    c.S = *u16le_at(reply, 33 + shift);
    const int stored = *u8_at(reply, 35 + shift);
    const int trim = *u8_at(reply, 36 + shift);
    c.K = trim < 128 ? trim / 2.0f : (128 - stored) / 2.0f;
    c.kept[0] = stored;
    if (type == 133) {
        c.kept[1] = folded(*u8_at(reply, 38));
    } else {
        c.kept[1] = *u8_at(reply, 37);
        if (type == 106) {
            for (std::size_t i = 38; i <= 43; ++i) {
                const int v = *u8_at(reply, i);
                c.kept[2 + (i - 38)] = i >= 42 ? folded(v) : v;
            }
        }
    }
    return true;
}

LiveResult decode_live(ByteView reply, const ModelRow& row, const LiveInputs& in, Coefficients& coef,
                       StatusView& view)
{
    LiveResult res;
    res.corr1 = in.corr1;
    res.corr2 = in.corr2;
    if (row.live_length > 0 && reply.size() < static_cast<std::size_t>(row.live_length)) {
        res.outcome = LiveResult::unchanged;
        return res;
    }
    Reader rd{reply};
    const int r1 = rd.u16(26);
    const int e1 = rd.u8(28);
    const std::uint16_t type = row.type;
    const float corr1 = in.corr1;
    const float corr2 = in.corr2;
    auto p = [&](double r) { return static_cast<double>(polynomial(coef, r)) + corr1; };
    auto show_humidity = [&](bool on) { view.BevelHumi.visible = on; };
    auto calibrated = [&](double x) {
        return static_cast<double>(in.calib->calib_value(static_cast<float>(x)));
    };

    switch (row.live) {
    case LiveKind::old_analog:
        break;
    case LiveKind::digital_temp:
        view.pantemp.text = e1 ? text(error_text) : format_number("%5.1f", digital_temperature(r1) + corr1);
        show_humidity(false);
        break;
    case LiveKind::analog_temp:
        read_coefficients(reply, type, coef);
        view.pantemp.text = r1 >= 1 ? format_number("%7.1f", p(r1)) : text(error_caps);
        show_humidity(false);
        break;
    case LiveKind::temp_humidity: {
        const int r2 = rd.u16(29);
        if (rd.missing) break;
        const double t = digital_temperature(r1) + corr1;
        // The sensor reports -40 and below while it is still starting up.
        if (t > -40.0) view.pantemp.text = format_number("%5.1f", t);
        res.humidity_block_valid = read_coefficients(reply, type, coef);
        double h = p(r2);
        if (!in.diagnostic) h = std::clamp(h, 0.0, 100.0);
        view.panhumi.text = format_number("%5.1f", h);
        show_humidity(true);
        break;
    }
    case LiveKind::pulse_count:
        view.pantemp.text = QString::number(r1);
        show_humidity(false);
        break;
    case LiveKind::ibutton_key: {
        const int no_key = rd.u8(26);
        const int lo = rd.u8(27);
        const int hi = rd.u8(28);
        if (rd.missing) break;
        if (no_key) {
            view.pantemp.text = QString();
            view.panIBname.text = QString();
        } else {
            res.key = lo + 256 * hi;
            view.pantemp.text = QString::number(*res.key);
        }
        show_humidity(false);
        break;
    }
    case LiveKind::current_voltage:
        read_coefficients(reply, type, coef);
        view.pantemp.text = e1 ? text(error_text) : format_number("%7.1f", p(r1));
        show_humidity(false);
        break;
    case LiveKind::psychrometer: {
        const int r2 = rd.u16(29);
        const int e2 = rd.u8(31);
        if (rd.missing) break;
        const double dry = digital_temperature(r1) + corr1;
        view.pantemp.text = e1 ? text(error_caps) : format_number("%5.1f", dry);
        if (e2) {
            view.panhumi.text = text(error_caps);
        } else {
            const double wet = digital_temperature(r2) + corr2;
            view.panhumi.text =
                format_number("%5.1f", in.diagnostic ? wet : psychrometric_humidity(dry, wet));
        }
        show_humidity(true);
        break;
    }
    case LiveKind::temp_cap_humidity: {
        const int r2 = rd.u16(29);
        if (rd.missing) break;
        if (e1) {
            view.pantemp.text = text(error_text);
        } else {
            const double t = digital_temperature(r1) + corr1;
            view.pantemp.text = format_number("%5.1f", t);
            view.PanTempFahren.visible = true;
            view.PanTempFahren.text = format_number("%5.1f", fahrenheit(t));
        }
        read_humidity_trim(reply, type, coef);
        const double raw = type == 106 ? r2 + 70 : r2;
        view.panhumi.text = format_number("%5.1f", capacitive_humidity(raw, coef, in.diagnostic));
        show_humidity(true);
        break;
    }
    case LiveKind::analog_limits: {
        read_coefficients(reply, type, coef);
        const int lo_raw = rd.u16(42);
        const int hi_raw = rd.u16(44);
        if (rd.missing) break;
        auto limit = [&](int raw) {
            if (raw <= 0) return -1000.0;
            const double v = p(raw);
            return in.calib ? calibrated(v) : v;
        };
        auto show_limit = [&](ControlView& panel, ControlView& label, double v) {
            bool shown;
            if (in.calib) {
                shown = v >= in.calib->MinValue && v <= in.calib->MaxValue;
                if (shown) panel.text = in.calib->format_value(v);
            } else {
                shown = v > -150 && v < 250;
                if (shown) panel.text = format_number("%6.1f", v);
            }
            panel.visible = shown;
            label.visible = shown;
        };
        show_limit(view.panLo, view.LBLlo, limit(lo_raw));
        show_limit(view.PanHI, view.LBLhi, limit(hi_raw));
        if (lo_raw > 0) res.lower_limit = limit(lo_raw);
        if (hi_raw > 0) res.upper_limit = limit(hi_raw);
        if (in.calib) {
            view.LBLaktval.text = in.calib->ValueName;
            view.LBLunit1.text = in.calib->ValueRange;
            view.pantemp.hint = in.calib->ValueHint;
            view.pantemp.text = in.calib->format_value(calibrated(p(r1)));
        } else {
            view.pantemp.text = r1 >= 1 ? format_number("%7.1f", p(r1)) : text(error_text);
        }
        show_humidity(false);
        break;
    }
    case LiveKind::two_temps: {
        const int r2 = rd.u16(29);
        const int e2 = rd.u8(31);
        if (rd.missing) break;
        view.pantemp.text = e1 ? text(error_text) : format_number("%5.1f", digital_temperature(r1) + corr1);
        view.panhumi.text = e2 ? text(error_text) : format_number("%5.1f", digital_temperature(r2) + corr2);
        show_humidity(true);
        break;
    }
    case LiveKind::flow:
        read_coefficients(reply, type, coef);
        view.pantemp.text = QString::number(r1);
        show_humidity(false);
        break;
    case LiveKind::two_temps_printer: {
        const int r2 = rd.u16(29);
        const int e2 = rd.u8(31);
        res.corr1 = correction_value(static_cast<std::uint8_t>(rd.u8(22)));
        res.corr2 = correction_value(static_cast<std::uint8_t>(rd.u8(23)));
        if (rd.missing) break;
        read_coefficients(reply, type, coef);
        view.pantemp.text = e1 ? text(error_text) : format_number("%5.1f", digital_temperature(r1));
        view.panhumi.text = e2 ? text(error_text) : format_number("%5.1f", digital_temperature(r2));
        show_humidity(true);
        break;
    }
    case LiveKind::wind: {
        const int r2 = rd.u16(28);
        if (rd.missing) break;
        read_coefficients(reply, type, coef);
        view.pantemp.text = format_number("%5.1f", r1 * coef.a1 + coef.a0);
        view.panhumi.text = format_number("%5.1f", r2 * coef.a3 + coef.a2);
        show_humidity(true);
        break;
    }
    case LiveKind::current_loop:
    case LiveKind::level: {
        const bool current = row.live == LiveKind::current_loop;
        const int pulses = rd.u16(28);
        const int averaging = rd.u8(23);
        const int threshold = rd.u8(19);
        if (rd.missing) break;
        read_coefficients(reply, type, coef);
        const double value = p(r1);
        if (in.calib) {
            view.LBLaktval.text = in.calib->ValueName;
            view.LBLunit1.text = in.calib->ValueRange;
            view.pantemp.hint = in.calib->ValueHint;
            view.pantemp.text = in.calib->format_value(calibrated(value));
        } else {
            view.pantemp.text = format_number("%7.2f", value);
            if (current) {
                view.LBLaktval.text = own(in, "LABEL17");
                view.LBLunit1.text = text("mA");
                view.pantemp.hint = own(in, "HINT56");
            } else {
                view.LBLaktval.text = own(in, "LABEL18");
                view.LBLunit1.text = text("cm");
                view.pantemp.hint = own(in, "HINT57");
            }
        }
        if (current) {
            view.panhumi.visible = true;
            view.panhumi.text = format_number("%7.0f", pulses);
            view.panhumi.hint = own(in, "HINT58");
            view.LBLhumi.text = text("REED");
            view.LBLunit2.text = QString();
            view.chkpriemer.visible = true;
            view.chkpriemer.checked = averaging != 0;
            view.chkpriemer.hint = own(in, "HINT59");
        } else {
            view.panhumi.visible = false;
            view.LBLhumi.text = QString();
            view.chkpriemer.visible = false;
        }
        view.PanGrad.hint = own(in, "HINT63");
        view.LBLgradunit.text = text(current ? "mA" : "cm");
        if (threshold == 0) {
            view.PanGrad.text = QStringLiteral("0.0");
        } else {
            double high = p(threshold * 16.0);
            double low = p(0.0);
            if (in.calib) {
                high = calibrated(high);
                low = calibrated(low);
            }
            const double step = std::fabs(high - low);
            view.PanGrad.text =
                std::isfinite(step) ? format_number("%5.1f", step) : format_pattern(QString(), step);
        }
        show_humidity(current);
        break;
    }
    case LiveKind::two_temps_usb: {
        const int r2 = rd.u16(28);
        const int e_first = rd.u8(30);
        const int e2 = rd.u8(31);
        if (rd.missing) break;
        view.pantemp.text = e_first ? text(error_text) : format_number("%6.2f", digital_temperature(r1));
        view.panhumi.text = e2 ? text(error_text) : format_number("%6.2f", digital_temperature(r2));
        show_humidity(true);
        break;
    }
    case LiveKind::temp_humi_pressure: {
        const int r2 = rd.u16(29);
        const int pressure = rd.u8(31);
        if (rd.missing) break;
        view.pantemp.text = e1 ? text(error_text) : format_number("%5.1f", digital_temperature(r1) + corr1);
        read_humidity_trim(reply, type, coef);
        view.panhumi.text = format_number("%5.1f", capacitive_humidity(r2, coef, in.diagnostic));
        view.PanTempFahren.visible = true;
        view.PanTempFahren.text = QString::number(pressure + 900);
        view.PanTempFahren.hint = text("Air Pressure hPa");
        show_humidity(true);
        break;
    }
    }
    if (rd.missing) res.outcome = LiveResult::not_readable;
    return res;
}

std::optional<OldCalibration> decode_old_calibration(ByteView reply, int raw_threshold)
{
    if (reply.size() < 5 + 25) return std::nullopt;
    const ByteView answer = reply.subspan(5);
    const auto sum = sum8(answer, 0, answer.size() - 1);
    if (!sum || *sum != answer[answer.size() - 1]) return std::nullopt;
    OldCalibration oc;
    oc.a0 = *f32le_at(answer, 4);
    oc.a1 = *f32le_at(answer, 8);
    oc.a2 = *f32le_at(answer, 12);
    const double r = *u16be_at(answer, 0);
    oc.value_text = format_number("%5.1f", oc.a0 + oc.a1 * r + oc.a2 * r * r);
    oc.threshold_text = format_number("%5.1f", std::fabs(raw_threshold * static_cast<double>(oc.a1)));
    return oc;
}

} // namespace vx

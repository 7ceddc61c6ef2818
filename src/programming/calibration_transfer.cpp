// Calibration transfers; see calibration_transfer.h for the wire forms.
#include "programming/calibration_transfer.h"

#include "base/ui_port.h"
#include "link/frame.h"
#include "logger/audit_log.h"
#include "logger/program_state.h"
#include "programming/device_settings.h"
#include "programming/encoders.h"

#include <QJsonArray>

namespace vx
{

namespace
{

constexpr int coef_k = cmd::coef_first - cmd::value_base; // k of the first coefficient byte
constexpr std::uint8_t text_begin_parameter = 52;
constexpr std::uint8_t text_series_end_parameter = 1;
constexpr int setup_wait_ms = 100;

void log(Global& g, const QString& line)
{
    if (g.ui) g.ui->progress_log(line);
}

void say(Global& g, const QString& text)
{
    if (!g.ui) return;
    g.ui->progress_hide();
    g.ui->show_message(text, btn::ok);
}

QString text_failure(const Global& g, int index)
{
    return g.lang.mess(148).arg(index);
}

// calibration-send of coefficient texts: each with the coefficient the
// logger reported before (as the setup dialog shows it); failed at step,
// after the texts in taken went through.
void audit_texts(Global& g, const std::vector<std::pair<int, QString>>& texts, const QString& step,
                 const QStringList& taken)
{
    const LoggerSetupValues held = setup_values(g.ident.type_code, g.coef, g.status);
    AuditEntry e = logger_entry(g, audit_action::calibration_send);
    for (const auto& [index, text] : texts)
        e.change(QStringLiteral("lcd_a%1").arg(index), held.coef.at(std::size_t(index)).trimmed(), text);
    if (!step.isEmpty())
        e.fail(QStringLiteral("step \"%1\": not acknowledged").arg(step))
            .detail(QStringLiteral("taken"), QJsonArray::fromStringList(taken));
    record_audit(g, e);
}

} // namespace

Transfer send_float_block(Global& g, std::span<const float> values, int bar_base, int bar_step)
{
    const std::vector<std::uint8_t> bytes = float_bytes(values);
    Transfer t{0, static_cast<int>(bytes.size()) + 1};
    for (std::size_t n = 0; n < values.size(); ++n) {
        if (g.ui) g.ui->progress_position(bar_base + bar_step * static_cast<int>(n));
        log(g, QStringLiteral("CAL%1").arg(n));
        for (std::size_t j = 0; j < 4; ++j) {
            const std::size_t i = 4 * n + j;
            if (!g.link.send_value(coef_k + static_cast<int>(i), bytes[i])) return t;
            ++t.acknowledged;
        }
    }
    if (g.link.send_value(coef_k + static_cast<int>(bytes.size()), check_byte(bytes))) ++t.acknowledged;
    return t;
}

Transfer send_flow_constants(Global& g, const std::array<std::uint8_t, 5>& bytes)
{
    const QString lines[] = {g.lang.label(150), g.lang.label(150), g.lang.label(151), g.lang.label(151),
                             capitalized(g.lang.label(152))};
    Transfer t{0, static_cast<int>(bytes.size()) + 1};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!g.link.send_value(coef_k + static_cast<int>(i), bytes[i])) return t;
        ++t.acknowledged;
        g.link.delay(200);
        log(g, lines[i]);
    }
    if (!g.link.send_value(coef_k + static_cast<int>(bytes.size()), check_byte(bytes))) return t;
    ++t.acknowledged;
    g.link.delay(200);
    return t;
}

bool setup_step(Global& g, std::uint8_t command, std::uint8_t parameter)
{
    if (!g.link.send_acknowledged(command, parameter, setup_wait_ms)) return false;
    g.link.delay(50);
    return true;
}

bool send_coefficient_text(Global& g, int index, const QString& text)
{
    const auto bytes = coefficient_text(text);
    if (!bytes) return false;
    if (g.ui) g.ui->progress_label(QStringLiteral("SEND LCD A%1").arg(index));
    if (!setup_step(g, cmd::coef_text_begin, text_begin_parameter)) return false;
    for (char c : *bytes)
        if (!setup_step(g, cmd::coef_text_char, static_cast<std::uint8_t>(c))) return false;
    g.link.setup_send(cmd::coef_text_store, static_cast<std::uint8_t>(index));
    g.link.delay(200);
    return true;
}

bool send_analog_text_block(Global& g, const std::array<QString, 3>& texts)
{
    // Nothing goes out unless every text converts.
    for (std::size_t n = 0; n < texts.size(); ++n)
        if (!coefficient_text(texts[n])) {
            say(g, g.lang.mess(149).arg(n).arg(texts[n]));
            return false;
        }
    g.link.show_progress(QString());
    const std::vector<std::pair<int, QString>> sent = {{0, texts[0]}, {1, texts[1]}, {2, texts[2]}};
    QStringList taken;
    for (int n = 0; n < 3; ++n) {
        if (!send_coefficient_text(g, n, texts[static_cast<std::size_t>(n)])) {
            say(g, text_failure(g, n));
            audit_texts(g, sent, QStringLiteral("SEND LCD A%1").arg(n), taken);
            return false;
        }
        taken << QStringLiteral("LCD A%1").arg(n);
    }
    if (!setup_step(g, cmd::coef_text_end, text_series_end_parameter)) {
        say(g, g.lang.mess(150));
        audit_texts(g, sent, QStringLiteral("END"), taken);
        return false;
    }
    if (g.ui) g.ui->progress_hide();
    audit_texts(g, sent, {}, taken);
    return true;
}

bool send_wind_text(Global& g, int index, const QString& text)
{
    if (!coefficient_text(text)) {
        say(g, g.lang.mess(149).arg(index).arg(text));
        return false;
    }
    g.link.show_progress(QString());
    const bool ok = send_coefficient_text(g, index, text);
    if (!ok)
        say(g, text_failure(g, index));
    else if (g.ui)
        g.ui->progress_hide();
    audit_texts(g, {{index, text}}, ok ? QString() : QStringLiteral("SEND LCD A%1").arg(index), {});
    return ok;
}

bool write_memory_cell(Global& g, int cell, std::uint8_t value, int pause_ms)
{
    if (!setup_step(g, cmd::mem_select, static_cast<std::uint8_t>(cell))) return false;
    g.link.delay(pause_ms);
    const bool stored = setup_step(g, cmd::mem_store, value);
    g.link.delay(pause_ms);
    return stored;
}

} // namespace vx

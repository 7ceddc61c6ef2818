#include "app/serial_number_change.h"

#include "base/ui_port.h"
#include "logger/audit_log.h"
#include "logger/program_state.h"

namespace vx
{

std::optional<int> SerialNumberChange::parse_serial(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    if (!ok || n < 0 || n > 65535) return std::nullopt;
    return n;
}

SerialNumberChange::Result SerialNumberChange::run()
{
    if (!g_.ui) return Result::Cancelled;
    UiPort& ui = *g_.ui;
    if (!unlocked_) {
        const auto code = ui.input_box(g_.lang.mess(42), g_.lang.mess(43), QString());
        if (!code || *code != QLatin1String(access_code)) return Result::Refused;
        unlocked_ = true;
    }
    const auto answer = ui.input_box(g_.lang.mess(42), g_.lang.mess(44), QString::number(g_.status.serial));
    if (!answer) return Result::Cancelled;
    const auto n = parse_serial(*answer);
    if (!n) {
        // A number outside 0..65535 would not fit the two bytes the logger keeps.
        ui.plain_message(g_.lang.mess(52).arg(*answer));
        return Result::Invalid;
    }
    g_.link.show_progress(g_.lang.mess(53));
    const bool low = g_.link.send_value(0, static_cast<std::uint8_t>(*n % 256));
    const bool ok = low && g_.link.send_value(1, static_cast<std::uint8_t>(*n / 256));
    const bool cancelled = g_.link.comm_abort;
    ui.progress_hide();
    // The trail says what the logger may now hold: after the low byte alone a mix of both numbers.
    AuditEntry entry =
        logger_entry(g_, audit_action::setup_send).change(QStringLiteral("serial"), g_.status.serial, *n);
    if (!ok)
        entry.fail(QStringLiteral("%1; %2").arg(cancelled ? QStringLiteral("cancelled")
                                                          : QStringLiteral("not acknowledged"),
                                                low ? QStringLiteral("the logger took the low byte only")
                                                    : QStringLiteral("the logger took nothing")));
    record_audit(g_, entry);
    if (ok) return Result::Sent;
    if (cancelled) return Result::Cancelled;
    ui.show_message(g_.lang.mess(28), btn::ok);
    return Result::Failed;
}

} // namespace vx

#include "logger/live_reading.h"

#include "base/calibration.h"
#include "records/record_file.h"

namespace vx
{

bool LiveReading::empty() const
{
    for (const QString& t : texts)
        if (!t.isEmpty()) return false;
    return true;
}

LiveReading live_reading(const StatusView& view, std::uint16_t type_code, std::uint16_t serial,
                         const Calibration* calib, const QDateTime& time)
{
    LiveReading r;
    r.time = time;
    r.serial = serial;
    r.type_code = type_code;
    r.channels = record_channels(type_code);
    const bool calibrated = calib && calib->calib_active &&
                            (type_code == 103 || type_code == 129 || type_code == 130 || type_code == 132);
    if (calibrated && !r.channels.isEmpty()) {
        QString name = calib->ValueName.trimmed();
        if (name.endsWith(QLatin1Char(':'))) name.chop(1);
        r.channels[0] = {name.trimmed(), calib->ValueRange.trimmed()};
    }
    const ControlView* panels[] = {&view.pantemp, &view.panhumi, &view.PanTempFahren};
    for (qsizetype c = 0; c < r.channels.size(); ++c) {
        const QString text = c < 3 ? panels[c]->text.value_or(QString()).trimmed() : QString();
        std::optional<double> value = parse_record_value(text);
        if (r.channels[c].text && value) {
            const QString name = view.panIBname.text.value_or(QString());
            r.texts << (name.isEmpty() ? QLatin1Char('[') + text + QLatin1Char(']') : name);
        } else {
            r.texts << text;
        }
        r.values.push_back(value);
    }
    return r;
}

} // namespace vx

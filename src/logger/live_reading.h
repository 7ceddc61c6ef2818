#pragma once
// The live values of one status decode as numbers of the model's channels,
// named as the record export names them (record_channels): what the trend
// plots and the command line streams.
//
// Value 1 (pantemp) is the first channel, value 2 (panhumi) the second, and
// the third panel (PanTempFahren) the third where the model records three
// (type 133: air pressure; the Fahrenheit value of types 100 and 106 is the
// first channel in other units and is left out). An iButton key is its name
// from the key list, or its number in brackets as a record shows it. With a
// user calibration in force the first channel takes its name and unit.
#include "logger/status_view.h"
#include "records/record_csv.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace vx
{

class Calibration;

struct LiveReading {
    QDateTime time;
    std::uint16_t serial = 0;
    std::uint16_t type_code = 0;
    QList<CsvChannel> channels;
    QStringList texts;                         // per channel as shown, trimmed; empty: this decode gave none
    std::vector<std::optional<double>> values; // per channel; nullopt: no number ("Error", or none given)

    // True when no channel got a text.
    bool empty() const;
};

// view: what one status decode showed (unset panels: no value this time);
// calib: the user calibration in force, if any.
LiveReading live_reading(const StatusView& view, std::uint16_t type_code, std::uint16_t serial,
                         const Calibration* calib, const QDateTime& time);

} // namespace vx

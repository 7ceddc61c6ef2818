#pragma once
// Live readings: the bytes from offset 26 of a status reply (offsets count
// from the first byte of the reply buffer, which starts with the five echoed
// bytes of the request).
//
//   26..27  raw value 1 (r1), low byte first
//   28      sensor error flag of value 1 (E1), nonzero = error
//   29..30  raw value 2 (r2)            (types 111, 130, 131: 28..29)
//   31      sensor error flag of value 2 (E2)
//   29..    coefficient blocks: IEEE floats low byte first, valid when the
//           block's bytes add up to 0xAA; an invalid block falls back to the
//           identity polynomial so the raw number is shown
//   31..38  capacitive humidity trim of types 100, 106 (133: one byte later)
//
// Digital temperatures are in 1/16 degree, 2000 and above counting as
// negative: -(65535 - r) / 16.
#include "link/bytes.h"
#include "logger/catalogue.h"
#include "logger/state.h"
#include "logger/status_view.h"
#include "records/conversions.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace vx
{

class Language;

class Calibration;

// Reads the coefficient block of the model into c, falling back as the model
// requires when the block is short or its sum is wrong. Returns whether the
// block was valid; true for models without a block.
bool read_coefficients(ByteView reply, std::uint16_t type, Coefficients& c);

// Reads the capacitive humidity trim (types 100, 106, 133) into c; false when
// the reply is too short (c unchanged).
bool read_humidity_trim(ByteView reply, std::uint16_t type, Coefficients& c);

// The length of a complete status reply of the model, echo included: the
// most bytes that its identification, status, coefficient and live decoding
// read. A logger sends no more than that, and no end marker.
std::size_t status_reply_length(const ModelRow& row);

struct LiveInputs {
    float corr1 = 0, corr2 = 0;
    bool diagnostic = false;
    const Calibration* calib = nullptr; // the active user calibration, if any
    const Language* lang = nullptr;     // the texts (the built-in ones without it)
};

struct LiveResult {
    enum Outcome {
        shown,        // the live panels were filled
        unchanged,    // the reply is too short for this model's live values
        not_readable, // a field the model needs lies past the end of the reply
    } outcome = shown;
    bool humidity_block_valid = true; // types 87, 88, 92: false suppresses the new-records check
    std::optional<int> key;           // type 93: key number when a key is attached
    float corr1 = 0, corr2 = 0;       // corrections after the live decode (type 108 re-reads them)
    std::optional<double> lower_limit, upper_limit; // types 103, 129: the recording limits when set
};

// Fills the live panels of view (pantemp, panhumi, PanTempFahren, panIBname,
// labels, units, limits) and the coefficients of the model.
LiveResult decode_live(ByteView reply, const ModelRow& row, const LiveInputs& in, Coefficients& coef,
                       StatusView& view);

// The old-format logger's answer to command 11 with parameter 159: a raw
// value (answer bytes 0..1, high byte first), coefficients a0, a1, a2 (floats
// at answer offsets 4, 8, 12) and a sum byte at the end. The answer starts at
// reply offset 5.
struct OldCalibration {
    float a0 = 0, a1 = 1, a2 = 0;
    QString value_text;     // pantemp, "%5.1f"
    QString threshold_text; // PanGrad: |raw threshold x a1|, "%5.1f"
};
// nullopt when the answer is shorter than 25 bytes or its sum is wrong.
std::optional<OldCalibration> decode_old_calibration(ByteView reply, int raw_threshold);

} // namespace vx

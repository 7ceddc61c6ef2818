#pragma once
// Service change of the attached logger's serial number: an access code,
// then the new number sent as two acknowledged writes (command 32 with the
// low byte, then command 33 with the high byte).
#include <QString>
#include <optional>

namespace vx
{

struct Global;

class SerialNumberChange
{
public:
    explicit SerialNumberChange(Global& g) : g_(g) {}

    enum class Result { Refused, Cancelled, Invalid, Failed, Sent };

    // Asks for the access code unless already unlocked in this run, then for
    // the new number (offering the current one) and sends it. The caller
    // stops and restarts the poll timer around it.
    Result run();

    bool unlocked() const { return unlocked_; }

    static constexpr const char* access_code = "402517";

    // A whole number 0..65535 (surrounding blanks allowed); nullopt otherwise.
    static std::optional<int> parse_serial(const QString& text);

private:
    Global& g_;
    bool unlocked_ = false;
};

} // namespace vx

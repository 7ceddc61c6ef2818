#pragma once
// The help texts of vorlanix-cli: "vorlanix-cli --help" and "vorlanix-cli
// COMMAND --help" (the start command keeps its own beside its options).
#include <QString>

namespace vx::cli
{

// The help of a command; the program's help for an empty or unknown one.
const char* help_of(const QString& command);

} // namespace vx::cli

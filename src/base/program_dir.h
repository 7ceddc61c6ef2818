#pragma once
// Where the program's files live: the settings, the language file, the
// calibration definitions, the tips, the key list and the default log
// directory all sit in the program directory.
#include <QString>

namespace vx
{

// $VORLANIX_HOME when set, else the executable's directory; always with a
// trailing '/'.
QString find_program_dir();

} // namespace vx

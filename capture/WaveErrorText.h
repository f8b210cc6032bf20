#pragma once
#include <string>

namespace tamsel {

// The text of a service result code: our own for the wave codes, the server's for
// codes from kWaveServerBase on.
std::string waveErrorText(int result);

} // namespace tamsel

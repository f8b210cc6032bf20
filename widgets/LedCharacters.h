#pragma once
// Which segments light for a character: bit n lights segment n.
#include <cstdint>

namespace tamsel {

// Letters light the same segments in both cases; a character without a pattern
// (the blank included) lights nothing.
uint16_t ledCharacterPattern(char32_t c);

} // namespace tamsel

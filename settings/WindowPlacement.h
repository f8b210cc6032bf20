#pragma once
// The normal position, size and state of a top-level window, as five stored integers.
#include "settings/TRestorePlacement.h"

#include <cstdint>

class QWidget;

namespace tamsel {

struct WindowPlacement {
    // The normal-state rectangle; right and bottom lie just outside it.
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t state = 0; // 0 normal, 1 minimized, 2 maximized

    static WindowPlacement Take(const QWidget &form);
    // A minimized or maximized state is applied only where allow permits it; else normal.
    void Apply(QWidget &form, TRestorePlacement allow) const;
};

} // namespace tamsel

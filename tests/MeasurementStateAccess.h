#pragma once
// The measurement's state as a test sets it up: states no user step reaches, written directly.
#include "measurement/MeasurementSession.h"

namespace tamsel {

struct MeasurementStateAccess {
    static MeasurementState &of(MeasurementEngine &engine) { return engine.state_; }
    static MeasurementState &of(MeasurementSession &session) { return session.engine_.state_; }
};

} // namespace tamsel

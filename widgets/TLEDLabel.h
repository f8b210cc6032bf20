#pragma once
// The LED label as the windows place it.
#include "widgets/TLEDCustomLabel.h"

namespace tamsel {

class TLEDLabel : public TLEDCustomLabel {
    Q_OBJECT

public:
    using TLEDCustomLabel::TLEDCustomLabel;
};

} // namespace tamsel

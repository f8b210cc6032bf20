#pragma once
// The segmented LED label unit: the LED settings and the label control.
#include "widgets/TLED.h"
#include "widgets/TLEDCustomLabel.h"
#include "widgets/TLEDLabel.h"

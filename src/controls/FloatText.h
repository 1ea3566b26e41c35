#pragma once
// The controls write numbers the way the core's reports do.
#include "platform/FloatText.h"

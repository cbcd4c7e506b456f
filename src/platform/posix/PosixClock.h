#pragma once
#include "platform/Clock.h"

namespace tastavia {

class PosixClock : public Clock {
public:
    TimeOfDay LocalTime() override;
};

}  // namespace tastavia

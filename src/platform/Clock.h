#pragma once
#include <cstdint>

namespace tastavia {

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeOfDay LocalTime() = 0;
};

}  // namespace tastavia

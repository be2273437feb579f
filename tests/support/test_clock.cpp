#include "test_clock.h"

namespace TestClock {

double now = 0.0;

double Now()
{
    return now;
}

}  // namespace TestClock

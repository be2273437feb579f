// A clock that stands still until the test moves it, for code that reads
// the time in seconds through a replaceable function.
#pragma once

namespace TestClock {

extern double now;
double Now();

}  // namespace TestClock

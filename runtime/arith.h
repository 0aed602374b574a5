// Arithmetic that can fail at run time: division and remainder by zero are
// raised as "Zero divisor" errors through the error launcher.
#pragma once

#include "runtime/value.h"

namespace runtime {

// a / b. When b is 0 the error "Zero divisor" (GenCode 5, SubSystem "BASE",
// SubCode 1340, Operation "/", Args {a, b}, CanSubstitute) goes to the error
// handler; its answer is the result (0 when the answer is not a number).
// Throws what launchError throws.
double divide(double a, double b);

// a % b (the sign follows a, as fmod does); zero divisor as above with
// SubCode 1341 and Operation "%".
double modulus(double a, double b);

}  // namespace runtime

// Division and remainder with the zero-divisor error.
#include "runtime/arith.h"

#include <cmath>

#include "runtime/error.h"

namespace runtime {
namespace {

constexpr int kSubCodeDivide = 1340;
constexpr int kSubCodeModulus = 1341;

double zeroDivisor(double a, double b, int subCode, const char* operation) {
    ErrorFields def;
    def.genCode = gen::kZeroDiv;
    def.subCode = subCode;
    def.subSystem = "BASE";
    def.operation = operation;
    def.canSubstitute = true;
    def.args = Array{a, b};
    const ErrorOutcome r = launchError(makeError(def));
    return r.value.isNumber() ? r.value.num() : 0.0;
}

}  // namespace

double divide(double a, double b) {
    if (b == 0) return zeroDivisor(a, b, kSubCodeDivide, "/");
    return a / b;
}

double modulus(double a, double b) {
    if (b == 0) return zeroDivisor(a, b, kSubCodeModulus, "%");
    return std::fmod(a, b);
}

}  // namespace runtime

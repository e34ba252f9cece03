#pragma once
// Checked arithmetic of the equation functions: a failure is a value, never a trap or an
// exception, so evaluation stays cheap and a run never stops.

#include <cmath>
#include <cstdint>

enum TEvalFailure : uint8_t {
    efNone,
    // The four conditions the functions test for themselves.
    efDivideByZero,
    efLnNotPositive,
    efLogNotPositive,
    efSqrtNegative,
    // Arithmetic that went wrong on its own.
    efInvalidOperation,
    efZeroDivide,
    efOverflow
};

// The report text of a failure (empty for efNone).
const char* EvalFailureMessage(TEvalFailure failure);

// A result that is not finite is a failure: NaN an invalid operation, infinity an overflow.
inline TEvalFailure CheckResult(double result) {
    if (std::isnan(result)) return efInvalidOperation;
    if (std::isinf(result)) return efOverflow;
    return efNone;
}

// a / b; division by an exact zero fails (0 / 0 as an invalid operation).
inline TEvalFailure CheckedDivide(double a, double b, double& result) {
    if (b == 0) {
        result = 0;
        return (a == 0 || std::isnan(a)) ? efInvalidOperation : efZeroDivide;
    }
    result = a / b;
    return CheckResult(result);
}

// base raised to exponent: 1 for a zero exponent, 0 for a zero base with a positive exponent,
// repeated squaring for whole exponents within 32 bits (so negative bases work), otherwise
// exp(exponent * ln base). An underflow to 0 is not a failure.
TEvalFailure Power(double base, double exponent, double& result);

// SIN, COS, TAN, ARCSIN, ARCCOS, ARCTAN (which = 0 to 5), in radians. An inverse outside its
// range gives NaN, which fails as an invalid operation.
inline double Trigonometric(int which, double x) {
    switch (which) {
    case 0:
        return std::sin(x);
    case 1:
        return std::cos(x);
    case 2:
        return std::tan(x);
    case 3:
        return std::asin(x);
    case 4:
        return std::acos(x);
    default:
        return std::atan(x);
    }
}

// a - b * floor(a / b): the remainder takes the sign of b. A zero b (within the tolerance, as
// for '/') fails. fmod is exact where the formula as written would round.
TEvalFailure Modulo(double a, double b, double& result);

// 1 while time lies in [first + k * interval, first + k * interval + width) for a whole k >= 0
// with first + k * interval <= last, else 0; times compared with the tolerance. An interval of
// zero or less means one pulse.
double PulseTrain(double time, double first, double width, double interval, double last);

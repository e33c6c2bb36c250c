// Number conversions that stay defined for every input: the C conversions
// they stand for are undefined for values out of the target's range.
#ifndef TAVRIN_PROPS_NUMERIC_H
#define TAVRIN_PROPS_NUMERIC_H

#include <cstdint>
#include <cstdlib>

namespace tavrin {
// Truncation toward zero, saturating at the 32-bit range; NaN gives 0.
int32_t TruncateToInt32(double v);
// Rounding to float; magnitudes beyond the float range give infinity.
float NarrowToFloat(double v);
// The standard decimal conversion of a text (leading blanks skipped, stops at
// the first character that does not fit, 0 when none does), saturating at
// the 32-bit range. A null text gives 0.
int32_t DecimalToInt(const char* text);
// The same for a floating-point text, rounded to float.
float DecimalToFloat(const char* text);
}  // namespace tavrin

#endif

#include <cmath>
#include <cstdint>

#include "props/numeric.h"
#include "tavrin/props.h"

namespace {
// Internal units (1/1500 micrometre) per one unit, by unit number.
const double kFactors[] = {1.0, 38100.0, 15000000.0, 1500000.0, 1500.0, 38100000.0, 15.0};
const int kUnitCount = sizeof kFactors / sizeof kFactors[0];
}  // namespace

namespace tavrin {

double UnitFactor(g_TavrinUnitType unit) {
  int u = static_cast<int>(unit);
  return u >= 0 && u < kUnitCount ? kFactors[u] : 0.0;
}

double ToUnits(long value, g_TavrinUnitType unit) {
  double factor = UnitFactor(unit);
  if (factor == 0.0) return 0.0;
  return static_cast<double>(value) / factor;
}

int32_t FromUnits(double amount, g_TavrinUnitType unit) {
  double factor = UnitFactor(unit);
  if (factor == 0.0) return 0;
  return TruncateToInt32(amount * factor);
}

int32_t TruncateToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

float NarrowToFloat(double v) {
  if (std::isnan(v)) return static_cast<float>(v);
  if (v > 3.4028234663852886e38) return HUGE_VALF;
  if (v < -3.4028234663852886e38) return -HUGE_VALF;
  return static_cast<float>(v);
}

int32_t DecimalToInt(const char* text) {
  if (!text) return 0;
  char* end = nullptr;
  long long v = std::strtoll(text, &end, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

float DecimalToFloat(const char* text) {
  if (!text) return 0.0f;
  return NarrowToFloat(std::strtod(text, nullptr));
}

}  // namespace tavrin

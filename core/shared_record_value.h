// The one 32-bit value that every design element record carries: each record
// written writes it, each record read replaces it. A restore that fails puts
// back the value it found, so a damaged file does not change later saves.
#ifndef TAVRIN_CORE_SHARED_RECORD_VALUE_H
#define TAVRIN_CORE_SHARED_RECORD_VALUE_H

#include <cstdint>

namespace tavrin {

int32_t SharedRecordValue();
void SetSharedRecordValue(int32_t value);

}  // namespace tavrin

#endif

// The host's date-time argument, as it lies in memory: an OLE Automation
// date (days since 30 December 1899, the fraction being the time of day)
// and a status. The host simulator builds these exactly as the plug-in
// reads them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torv::abi {

struct DateTimeArg {
    double date = 0.0;
    int32_t status = 0;
};
static_assert(offsetof(DateTimeArg, date) == 0, "the host reads the date at offset 0");
static_assert(offsetof(DateTimeArg, status) == 8, "the host reads the status at offset 8");

enum DateTimeStatus : int32_t { kDateTimeValid = 0, kDateTimeInvalid = 1, kDateTimeNull = 2 };

}  // namespace torv::abi

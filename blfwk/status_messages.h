#pragma once

#include <cstdint>

namespace blfwk {

//! One row of the host's status message table.
struct StatusMessageTableEntry
{
    int32_t status;
    const char *message;
};

//! Status of the row that ends g_statusCodes.
constexpr int32_t kStatusMessageTableEnd = 0x7fffffff;

//! Messages of the status codes, in lookup order, ended by a row whose
//! status is kStatusMessageTableEnd.
extern const StatusMessageTableEntry g_statusCodes[];

} // namespace blfwk

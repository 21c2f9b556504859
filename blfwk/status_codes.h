#pragma once

#include <cstdint>

//! Status of an operation: group * 100 + code, 0 for success.
typedef int32_t status_t;

#define MAKE_STATUS(group, code) ((((group)*100) + (code)))

enum _status_groups
{
    kStatusGroup_Generic = 0,
    kStatusGroup_Bootloader = 100,
    kStatusGroup_SBLoader = 101,
    kStatusGroup_MemoryInterface = 102,
    kStatusGroup_PropertyStore = 103,
    kStatusGroup_AppCrcCheck = 104,
    kStatusGroup_Packetizer = 105,
    kStatusGroup_ReliableUpdate = 106,
    kStatusGroup_Authentication = 107,
    kStatusGroup_RomApi = 108,
};

enum _generic_status
{
    kStatus_Success = MAKE_STATUS(kStatusGroup_Generic, 0),
    kStatus_Fail = MAKE_STATUS(kStatusGroup_Generic, 1),
    kStatus_ReadOnly = MAKE_STATUS(kStatusGroup_Generic, 2),
    kStatus_OutOfRange = MAKE_STATUS(kStatusGroup_Generic, 3),
    kStatus_InvalidArgument = MAKE_STATUS(kStatusGroup_Generic, 4),
    kStatus_Timeout = MAKE_STATUS(kStatusGroup_Generic, 5),
    kStatus_NoTransferInProgress = MAKE_STATUS(kStatusGroup_Generic, 6),
};

enum _bootloader_status
{
    kStatus_UnknownCommand = MAKE_STATUS(kStatusGroup_Bootloader, 0),
    kStatus_SecurityViolation = MAKE_STATUS(kStatusGroup_Bootloader, 1),
    kStatus_AbortDataPhase = MAKE_STATUS(kStatusGroup_Bootloader, 2),
    kStatus_Ping = MAKE_STATUS(kStatusGroup_Bootloader, 3),
    kStatus_NoResponse = MAKE_STATUS(kStatusGroup_Bootloader, 4),
    kStatus_NoResponseExpected = MAKE_STATUS(kStatusGroup_Bootloader, 5),
    kStatus_CommandUnsupported = MAKE_STATUS(kStatusGroup_Bootloader, 6),
};

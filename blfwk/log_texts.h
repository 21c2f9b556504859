#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace blfwk {

// The updater window learns every outcome of an engine run by reading the
// engine's log texts; these are the texts it reads. The engine logs them from
// here, so a change here reaches both sides.

//! Each received data packet: "Version: " and the bytes as "XX " fields.
constexpr char kLogVersionFormat[] = "Version: %s";
constexpr char kLogVersionMarker[] = "Version:";
//! The target ended a receiving data phase early (logged with "\n").
constexpr char kLogDataPhaseAborted[] = "Data phase aborted by sender";
//! Every error text begins with this.
constexpr char kLogErrorPrefix[] = "Error: ";
//! The first response line: status as a number twice, then its message.
constexpr char kLogStatusFormat[] = "Response status = %d (0x%x) %s\n";
constexpr char kLogStatusPrefix[] = "Response status = ";
constexpr char kLogSuccessStatus[] = "Response status = 0 (0x0) Success";
//! Messages of status 0 and of kStatus_NoResponse in the status table.
constexpr char kLogSuccessMessage[] = "Success.";
constexpr char kLogNoResponseMessage[] = "No response packet from target device.";
//! Progress of a data phase, one text per data packet: segment index, segment
//! count, percentage.
constexpr char kLogProgressFormat[] = "\r(%d/%d)%2d%%";
//! Room for any progress text and its terminating zero.
constexpr size_t kProgressTextSize = 48;
//! Writes kLogProgressFormat's text for these numbers into @a text and returns
//! it; without printf, because a fast write changes its percentage with
//! nearly every packet.
const char *formatProgress(char (&text)[kProgressTextSize], int segmentIndex, int segmentCount, int percent);
//! Follows the progress text of 100 %.
constexpr char kLogProgressCompleted[] = " Completed!\n";

constexpr bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The pieces the window matches must stay pieces of what the engine logs.
static_assert(startsWith(kLogVersionFormat, kLogVersionMarker));
static_assert(startsWith(kLogStatusFormat, kLogStatusPrefix));
static_assert(startsWith(kLogSuccessStatus, kLogStatusPrefix));

//! Readers of one log text, for the window; none of them needs the toolkit.

//! The response line of a run whose target reported success.
bool isSuccessStatus(std::string_view text);
//! A response line with any other status.
bool isFailedStatus(std::string_view text);
//! The target ended a read early.
bool reportsDataPhaseAbort(std::string_view text);
//! The byte fields of a data packet's text ("13 00 05 ..."), or an empty text
//! when @a text is none.
std::string versionFields(std::string_view text);
//! The percentage of a progress text, or -1 when @a text is none.
int progressPercent(std::string_view text);

} // namespace blfwk

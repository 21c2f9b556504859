#include "blfwk/log_texts.h"

#include <algorithm>
#include <charconv>

namespace blfwk {

namespace {

bool contains(std::string_view text, std::string_view piece)
{
    return text.find(piece) != std::string_view::npos;
}

//! Writes @a value in decimal at @a at, blanks first up to @a width; returns the end.
char *putNumber(char *at, int value, int width = 0)
{
    char digits[16];
    char *const last = std::to_chars(digits, digits + sizeof(digits), value).ptr;
    for (auto count = last - digits; count < width; ++count)
    {
        *at++ = ' ';
    }
    return std::copy(digits, last, at);
}

} // namespace

// Three numbers of at most eleven characters each, five fixed characters and the zero.
static_assert(kProgressTextSize >= 3 * 11 + 5 + 1);

const char *formatProgress(char (&text)[kProgressTextSize], int segmentIndex, int segmentCount, int percent)
{
    char *at = text;
    *at++ = '\r';
    *at++ = '(';
    at = putNumber(at, segmentIndex);
    *at++ = '/';
    at = putNumber(at, segmentCount);
    *at++ = ')';
    at = putNumber(at, percent, 2);
    *at++ = '%';
    *at = '\0';
    return text;
}

bool isSuccessStatus(std::string_view text)
{
    return contains(text, kLogSuccessStatus);
}

bool isFailedStatus(std::string_view text)
{
    return startsWith(text, kLogStatusPrefix) && !isSuccessStatus(text);
}

bool reportsDataPhaseAbort(std::string_view text)
{
    return contains(text, kLogDataPhaseAborted);
}

std::string versionFields(std::string_view text)
{
    const size_t marker = text.find(kLogVersionMarker);
    if (marker == std::string_view::npos)
    {
        return std::string();
    }
    // The marker is followed by one blank, then the fields.
    const std::string_view rest = text.substr(marker + sizeof(kLogVersionMarker) - 1);
    return std::string(rest.substr(rest.empty() || rest.front() != ' ' ? 0 : 1));
}

int progressPercent(std::string_view text)
{
    // "\r(i/n)" then the percentage, right-aligned in two columns, then '%'.
    const size_t close = text.find(')');
    if (!startsWith(text, "\r(") || close == std::string_view::npos || text.size() < close + 2 || text.back() != '%')
    {
        return -1;
    }
    std::string_view field = text.substr(close + 1, text.size() - close - 2);
    field.remove_prefix(std::min(field.find_first_not_of(' '), field.size()));
    int percent = -1;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), percent);
    if (error != std::errc() || end != field.data() + field.size() || field.empty() || percent < 0)
    {
        return -1;
    }
    return percent;
}

} // namespace blfwk

#include "blfwk/format_string.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
const size_t kWorkBufferSize = 512;
}

std::string format_string(const char *fmt, ...)
{
    char *buffer = static_cast<char *>(std::malloc(kWorkBufferSize));
    if (!buffer)
    {
        return std::string();
    }

    va_list args;
    va_start(args, fmt);
    int needed = std::vsnprintf(buffer, kWorkBufferSize, fmt, args);
    va_end(args);

    // An overlong text is dropped rather than cut, so that a caller never
    // reports half a message as if it were whole.
    std::string result;
    if (needed >= 0 && static_cast<size_t>(needed) < kWorkBufferSize)
    {
        result.assign(buffer, static_cast<size_t>(needed));
    }
    std::free(buffer);
    return result;
}

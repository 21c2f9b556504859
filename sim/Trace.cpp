#include "sim/Trace.h"

#include <cerrno>
#include <cstring>

namespace vornsim {

Trace::Trace(const std::string &path, std::string &error)
    : m_file(std::fopen(path.c_str(), "a"))
{
    if (!m_file)
    {
        error = "cannot open trace file '" + path + "': " + std::strerror(errno);
    }
}

Trace::~Trace()
{
    if (m_file)
    {
        std::fclose(m_file);
    }
}

std::string Trace::format(const char *prefix, const uint8_t *data, size_t length)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text(prefix);
    text.reserve(text.size() + length * 3 + 1);
    for (size_t i = 0; i < length; ++i)
    {
        if (i > 0)
        {
            text += ' ';
        }
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0f];
    }
    text += '\n';
    return text;
}

void Trace::line(const char *prefix, const uint8_t *data, size_t length)
{
    if (!m_file)
    {
        return;
    }
    std::string text = format(prefix, data, length);
    std::lock_guard<std::mutex> guard(m_mutex);
    std::fwrite(text.data(), 1, text.size(), m_file);
    // Flushed per line so that a trace survives a crash and can be followed live.
    std::fflush(m_file);
}

} // namespace vornsim

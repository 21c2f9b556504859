#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace vornsim {

//! Appends one line per report to a file: "> " and the bytes of a report
//! the host wrote, "< " and the bytes of one it read, as lower-case hex.
class Trace
{
public:
    //! Check isOpen(); @a error says why the file could not be opened.
    Trace(const std::string &path, std::string &error);
    ~Trace();
    Trace(const Trace &) = delete;
    Trace &operator=(const Trace &) = delete;

    bool isOpen() const { return m_file != nullptr; }
    void hostWrote(const uint8_t *data, size_t length) { line("> ", data, length); }
    void hostRead(const uint8_t *data, size_t length) { line("< ", data, length); }

    //! The line for one report, as it is written to the file.
    static std::string format(const char *prefix, const uint8_t *data, size_t length);

private:
    void line(const char *prefix, const uint8_t *data, size_t length);

    std::mutex m_mutex;
    std::FILE *m_file;
};

} // namespace vornsim

#include "blfwk/utils.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace utils {

bool stringtoui(const std::string &s, uint32_t &number)
{
    // strtoull skips blanks and then negates a number behind a minus sign, so
    // a negative text could wrap around into range: refuse it here.
    const size_t first = s.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos || s[first] == '-')
    {
        return false;
    }

    const char *begin = s.c_str();
    char *end = nullptr;
    unsigned long long value = std::strtoull(begin, &end, 0);
    if (value > 0xFFFFFFFFull)
    {
        return false;
    }

    number = static_cast<uint32_t>(value);
    return end == begin + s.size();
}

std::vector<std::string> &split(const std::string &s, char delim, std::vector<std::string> &elems)
{
    // Empty inner and leading pieces are kept; a trailing delimiter adds no
    // empty piece, and "" gives none.
    size_t begin = 0;
    while (begin < s.size())
    {
        const size_t end = std::min(s.find(delim, begin), s.size());
        elems.emplace_back(s, begin, end - begin);
        begin = end + 1;
    }
    return elems;
}

std::vector<std::string> string_split(const std::string &s, char delim)
{
    std::vector<std::string> elems;
    split(s, delim, elems);
    return elems;
}

std::string string_hex(const std::string &s)
{
    std::string digits;
    for (char c : s)
    {
        if (std::isxdigit(static_cast<unsigned char>(c)))
        {
            digits += c;
        }
    }
    return digits;
}

} // namespace utils

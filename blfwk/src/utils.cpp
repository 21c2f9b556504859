#include "blfwk/utils.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

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
    // getline gives exactly the piece rules we want: empty inner and leading
    // pieces, no empty piece after a trailing delimiter, nothing for "".
    std::istringstream stream(s);
    std::string piece;
    while (std::getline(stream, piece, delim))
    {
        elems.push_back(piece);
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

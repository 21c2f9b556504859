#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace utils {

//! Parses the whole of @a s as one unsigned number that fits in 32 bits:
//! decimal, hexadecimal with a 0x prefix or octal with a leading 0.
//! Leading blanks and a "+" sign are accepted.
//! Returns false for an empty text, a minus sign, a value above
//! 0xFFFFFFFF (in these cases @a number is left unchanged) or trailing text
//! (then the leading number has already been stored).
bool stringtoui(const std::string &s, uint32_t &number);

//! Appends the pieces of @a s cut at every @a delim to @a elems: empty pieces
//! between delimiters are kept, a trailing delimiter adds no empty piece and
//! an empty text adds nothing.
std::vector<std::string> &split(const std::string &s, char delim, std::vector<std::string> &elems);

//! The pieces of split() in a fresh vector.
std::vector<std::string> string_split(const std::string &s, char delim);

//! The hexadecimal digit characters of @a s, in their order.
std::string string_hex(const std::string &s);

} // namespace utils

#pragma once

#include <string>

//! printf-style formatting into a string of at most 511 characters.
//!
//! A result that would need more than 511 characters is not truncated: the
//! empty string is returned instead, as it is when the work buffer cannot be
//! allocated. Never throws.
std::string format_string(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

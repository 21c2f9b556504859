#pragma once

#include <cstdint>
#include <string>
#include <vector>

//! Argument and command words of one engine run.
typedef std::vector<std::string> string_vector_t;

//! Values collected from the target's responses; element 0 is the final status.
typedef std::vector<uint32_t> uint32_vector_t;

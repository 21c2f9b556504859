#pragma once

#include "log_capture.h"

#include <stdexcept>
#include <string>

//! The text of the runtime error that @a action throws, or "(no error)".
template <typename Action>
std::string errorText(Action action)
{
    try
    {
        action();
    }
    catch (const std::runtime_error &e)
    {
        return e.what();
    }
    return "(no error)";
}

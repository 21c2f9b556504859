#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

//! Runs one command line of the host engine on the calling thread, the way
//! the window's worker does, and hands every text it logs to @a onText, in
//! order. Returns the engine's result code. The engine's logger is
//! process-wide, so a process runs one engine at a time.
int runEngine(const std::vector<std::string> &arguments, const std::function<void(const QString &)> &onText);

#include "rivuvo.h"

#include "blfwk/Logging.h"

//! The console tool: one engine run over the process's own arguments, its
//! log printed to standard output at the info level.
int main(int argc, char *argv[])
{
    StdoutLogger logger;
    logger.setFilterLevel(Logger::kInfo);
    Log::setLogger(&logger);

    RiVuvo rivuvo(argc, argv, nullptr);
    rivuvo.m_logger = &logger;
    int result = rivuvo.run();

    Log::setLogger(nullptr);
    return result;
}

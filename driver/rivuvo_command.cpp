#include "driver/rivuvo_command.h"

#include "blfwk/Bootloader.h"
#include "blfwk/Command.h"
#include "blfwk/Logging.h"
#include "blfwk/status_codes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

using namespace blfwk;

std::unique_ptr<Command> createCommand(const string_vector_t &words)
{
    std::unique_ptr<Command> command(Command::create(&words));
    if (!command)
    {
        std::string text = "Error: invalid command or arguments '";
        for (size_t i = 0; i < words.size(); ++i)
        {
            text += (i > 0 ? " " : "") + words[i];
        }
        throw std::runtime_error(text + "'\n");
    }
    return command;
}

void checkImageFile(const string_vector_t &words)
{
    if (words.size() < 3 || words[0] != "write-memory" || words[2].rfind("{{", 0) == 0)
    {
        return;
    }
    const std::string path = words[2].substr(0, words[2].find(','));
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
    {
        if (errno == ENOENT || errno == ENOTDIR)
        {
            return;
        }
        throw std::runtime_error("Error: cannot read the size of '" + path + "'; nothing was sent.\n");
    }
    if (!S_ISREG(info.st_mode))
    {
        throw std::runtime_error("Error: '" + path + "' is not a regular file; nothing was sent.\n");
    }
    if (static_cast<unsigned long long>(info.st_size) > UINT32_MAX)
    {
        throw std::runtime_error("Error: cannot read the size of '" + path + "'; nothing was sent.\n");
    }
}

int injectAndReport(Bootloader &bootloader, Command &command, const char *announcement, int result)
{
    Log::info(announcement, command.getName().c_str());
    bootloader.inject(command);
    bootloader.flush();

    const uint32_vector_t *values = command.getResponseValues();
    // A command that stopped before its exchange (an image file it could not
    // open, an output file it could not create, a packet size it cannot use)
    // logged its error and recorded no status: the run failed.
    if (!values || values->empty())
    {
        return 1;
    }
    {
        if ((*values)[0] != static_cast<uint32_t>(kStatus_NoResponseExpected))
        {
            command.logResponses();
        }
        if ((*values)[0] == static_cast<uint32_t>(kStatus_NoResponse))
        {
            result = kStatus_NoResponse;
        }
    }
    return result;
}

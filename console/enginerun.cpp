#include "console/enginerun.h"

#include "blfwk/Logging.h"
#include "rivuvo.h"

namespace {

//! Passes every text on instead of printing it: the console shows its own
//! lines, made from what the texts say.
class RelayLogger : public Logger
{
public:
    explicit RelayLogger(const std::function<void(const QString &)> &onText)
        : m_onText(onText)
    {
    }

protected:
    void _log(const char *msg) override { m_onText(QString::fromUtf8(msg)); }

private:
    const std::function<void(const QString &)> &m_onText;
};

} // namespace

int runEngine(const std::vector<std::string> &arguments, const std::function<void(const QString &)> &onText)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>("RiVuvo"));
    for (const std::string &argument : arguments)
    {
        // The engine only reads its arguments.
        argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);

    RelayLogger logger(onText);
    logger.setFilterLevel(Logger::kInfo);
    Log::setLogger(&logger);
    int result = 1;
    {
        RiVuvo engine(static_cast<int>(argv.size()) - 1, argv.data(), nullptr);
        result = engine.run();
    }
    Log::setLogger(nullptr);
    return result;
}

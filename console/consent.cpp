#include "console/consent.h"

#include "console/consoletexts.h"

#include <cstdio>
#include <unistd.h>

bool askConsent(const QString &question, bool yes)
{
    if (yes)
    {
        return true;
    }
    // A script's input is never taken for an answer.
    if (!::isatty(STDIN_FILENO))
    {
        std::fprintf(stderr, "%s\n", consoletexts::kNoTerminal);
        return false;
    }
    std::fputs(question.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof(answer), stdin))
    {
        return false;
    }
    const QString given = QString::fromLocal8Bit(answer).trimmed().toLower();
    return given == QLatin1String("y") || given == QLatin1String("yes");
}

#pragma once

#include "driver/devicelock.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testlock {

//! Another process that takes and releases the lock of one device when told.
//! It is forked before the test takes any lock, so it inherits none.
class LockHolder
{
public:
    explicit LockHolder(const std::string &devicePath, uid_t user = ::geteuid())
    {
        int toChild[2];
        int toParent[2];
        if (::pipe(toChild) != 0 || ::pipe(toParent) != 0)
        {
            ADD_FAILURE() << "no pipe";
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0)
        {
            ::close(toChild[1]);
            ::close(toParent[0]);
            serve(devicePath, user, toChild[0], toParent[1]);
        }
        ::close(toChild[0]);
        ::close(toParent[1]);
        m_commands = toChild[1];
        m_answers = toParent[0];
    }

    ~LockHolder()
    {
        if (m_pid > 0)
        {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_commands);
        ::close(m_answers);
    }

    //! Whether it got the lock.
    bool take() { return ask('t') == '1'; }
    void release() { ask('r'); }
    void kill()
    {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    [[noreturn]] static void serve(const std::string &devicePath, uid_t user, int commands, int answers)
    {
        if (user != ::geteuid() && (::setgid(65534) != 0 || ::setuid(user) != 0))
        {
            ::_exit(3);
        }
        std::unique_ptr<vorn::DeviceLock> held;
        char command = 0;
        while (::read(commands, &command, 1) == 1)
        {
            char answer = '.';
            if (command == 't')
            {
                held = vorn::DeviceLock::tryLock(devicePath);
                answer = held ? '1' : '0';
            }
            else
            {
                held.reset();
            }
            if (::write(answers, &answer, 1) != 1)
            {
                break;
            }
        }
        ::_exit(0);
    }

    char ask(char command)
    {
        char answer = 'x';
        EXPECT_EQ(::write(m_commands, &command, 1), 1);
        EXPECT_EQ(::read(m_answers, &answer, 1), 1) << "the other process ended";
        return answer;
    }

    pid_t m_pid = -1;
    int m_commands = -1;
    int m_answers = -1;
};

} // namespace testlock

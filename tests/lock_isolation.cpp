// Each test process gets a directory of device locks of its own, handed on to
// the programs it starts. The virtual controller inside a process has the
// same path in every process, so tests running side by side would otherwise
// take each other's lock. A test that sets VORN_LOCK_DIR itself keeps it.
#include <cstdlib>
#include <string>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class LockIsolation
{
public:
    LockIsolation()
    {
        const char *chosen = std::getenv("VORN_LOCK_DIR");
        if (chosen && *chosen)
        {
            return;
        }
        char pattern[] = "/tmp/vorn-locks-XXXXXX";
        if (::mkdtemp(pattern))
        {
            // Shared like /run/lock, for the tests that drop to another user.
            ::chmod(pattern, 01777);
            m_dir = pattern;
            ::setenv("VORN_LOCK_DIR", pattern, 1);
        }
    }

    ~LockIsolation()
    {
        if (m_dir.empty())
        {
            return;
        }
        if (DIR *dir = ::opendir(m_dir.c_str()))
        {
            while (const dirent *entry = ::readdir(dir))
            {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                {
                    ::unlink((m_dir + "/" + name).c_str());
                }
            }
            ::closedir(dir);
        }
        ::rmdir(m_dir.c_str());
    }

private:
    std::string m_dir;
};

const LockIsolation g_isolation;

} // namespace

/* Preloaded in front of umockdev's library when the controller's node is to
 * refuse access: every open of a hidraw node fails with EACCES, as for a user
 * whom the node's permissions shut out. Permission bits alone cannot show
 * this to root, and the tests run as root. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>

int __open_2(const char *path, int flags);
int __open64_2(const char *path, int flags);
int __openat_2(int dirfd, const char *path, int flags);
int __openat64_2(int dirfd, const char *path, int flags);

static int refused(const char *path)
{
    if (path && strncmp(path, "/dev/hidraw", 11) == 0)
    {
        errno = EACCES;
        return 1;
    }
    return 0;
}

static mode_t mode_argument(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, mode_t) : 0;
}

#define WRAP_OPEN(name)                                                        \
    int name(const char *path, int flags, ...)                                 \
    {                                                                          \
        va_list arguments;                                                     \
        va_start(arguments, flags);                                            \
        mode_t mode = mode_argument(flags, arguments);                         \
        va_end(arguments);                                                     \
        if (refused(path))                                                     \
            return -1;                                                         \
        int (*next)(const char *, int, ...) = dlsym(RTLD_NEXT, #name);         \
        return next(path, flags, mode);                                        \
    }

#define WRAP_OPENAT(name)                                                      \
    int name(int dirfd, const char *path, int flags, ...)                      \
    {                                                                          \
        va_list arguments;                                                     \
        va_start(arguments, flags);                                            \
        mode_t mode = mode_argument(flags, arguments);                         \
        va_end(arguments);                                                     \
        if (refused(path))                                                     \
            return -1;                                                         \
        int (*next)(int, const char *, int, ...) = dlsym(RTLD_NEXT, #name);    \
        return next(dirfd, path, flags, mode);                                 \
    }

#define WRAP_FORTIFIED(name)                                                   \
    int name(const char *path, int flags)                                      \
    {                                                                          \
        if (refused(path))                                                     \
            return -1;                                                         \
        int (*next)(const char *, int) = dlsym(RTLD_NEXT, #name);              \
        return next(path, flags);                                              \
    }

#define WRAP_FORTIFIED_AT(name)                                                \
    int name(int dirfd, const char *path, int flags)                           \
    {                                                                          \
        if (refused(path))                                                     \
            return -1;                                                         \
        int (*next)(int, const char *, int) = dlsym(RTLD_NEXT, #name);         \
        return next(dirfd, path, flags);                                       \
    }

WRAP_OPEN(open)
WRAP_OPEN(open64)
WRAP_OPENAT(openat)
WRAP_OPENAT(openat64)
WRAP_FORTIFIED(__open_2)
WRAP_FORTIFIED(__open64_2)
WRAP_FORTIFIED_AT(__openat_2)
WRAP_FORTIFIED_AT(__openat64_2)

/* An LD_PRELOAD library for the Wine the Windows tests run under: a
 * pseudo-terminal has no modem lines, and its TIOCMGET, TIOCMSET, TIOCMBIS
 * and TIOCMBIC fail. Wine then ends every WaitCommEvent at once, and cannot
 * report CTS to a program that waits for it before it sends. Here, on a pty
 * only and only where the kernel refused, the lines a test sets are answered:
 *
 * - the inputs (CTS, DSR, DCD, RI) are read from the file that
 *   VELTRIN_WINE_MODEM_LINES names, at every query, as words ("CTS DSR DCD");
 *   without that variable all but RI are on; a file that is missing or empty
 *   means all off, as an unplugged cable;
 * - the outputs (RTS, DTR) are remembered as the program sets them, and read
 *   back with the inputs;
 * - a pty opened starts with its input empty, as Windows' serial drivers
 *   empty their receive buffer when a port is opened; a pty keeps what
 *   arrived while nobody had it open (a reply the last program left unread).
 *
 * Built by tools/windows/wine.sh: gcc -shared -fPIC -o wine-modem-lines.so wine-modem-lines.c -ldl
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

typedef int (*ioctl_function)(int, unsigned long, ...);
typedef int (*open_function)(const char *, int, ...);
typedef int (*openat_function)(int, const char *, int, ...);

/* Unix98 pty slaves: character devices with majors 136 to 143. */
static int is_pty(int fd)
{
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode))
        return 0;
    return major(status.st_rdev) >= 136 && major(status.st_rdev) <= 143;
}

static int word_lines(const char *text)
{
    static const struct {
        const char *name;
        int line;
    } names[] = { { "CTS", TIOCM_CTS }, { "DSR", TIOCM_DSR }, { "DCD", TIOCM_CAR }, { "RI", TIOCM_RNG } };
    int lines = 0;
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        const char *found = strstr(text, names[i].name);
        if (found)
            lines |= names[i].line;
    }
    return lines;
}

static int input_lines(void)
{
    const char *path = getenv("VELTRIN_WINE_MODEM_LINES");
    if (!path)
        return TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
    FILE *file = fopen(path, "r");
    if (!file)
        return 0;
    char text[64] = { 0 };
    size_t length = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    text[length] = '\0';
    return word_lines(text);
}

static atomic_int output_lines = TIOCM_RTS | TIOCM_DTR;

/* What the kernel refused on a pty, answered; -1 for any other request. */
static int modem_request(unsigned long request, int *lines)
{
    const int outputs = TIOCM_RTS | TIOCM_DTR;
    switch (request) {
    case TIOCMGET:
        *lines = input_lines() | atomic_load(&output_lines);
        return 0;
    case TIOCMSET:
        atomic_store(&output_lines, *lines & outputs);
        return 0;
    case TIOCMBIS:
        atomic_fetch_or(&output_lines, *lines & outputs);
        return 0;
    case TIOCMBIC:
        atomic_fetch_and(&output_lines, ~(*lines & outputs));
        return 0;
    default:
        return -1;
    }
}

int ioctl(int fd, unsigned long request, ...)
{
    static ioctl_function real_ioctl;
    if (!real_ioctl)
        real_ioctl = (ioctl_function)dlsym(RTLD_NEXT, "ioctl");
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);

    int result = real_ioctl(fd, request, argument);
    if (result == 0 || argument == NULL)
        return result;
    int refused = errno;
    if (!is_pty(fd) || modem_request(request, argument) != 0) {
        errno = refused;
        return result;
    }
    return 0;
}

static int emptied_if_pty(int fd)
{
    if (fd >= 0 && is_pty(fd))
        tcflush(fd, TCIFLUSH);
    return fd;
}

/* wineserver opens the devices, through whichever of these its libc takes. */
#define OPEN_WRAPPER(name)                                                                                   \
    int name(const char *path, int flags, ...)                                                               \
    {                                                                                                        \
        static open_function real_open;                                                                      \
        if (!real_open)                                                                                      \
            real_open = (open_function)dlsym(RTLD_NEXT, #name);                                              \
        va_list arguments;                                                                                   \
        va_start(arguments, flags);                                                                          \
        mode_t mode = va_arg(arguments, mode_t);                                                             \
        va_end(arguments);                                                                                   \
        return emptied_if_pty(real_open(path, flags, mode));                                                 \
    }
#define OPENAT_WRAPPER(name)                                                                                 \
    int name(int folder, const char *path, int flags, ...)                                                   \
    {                                                                                                        \
        static openat_function real_openat;                                                                  \
        if (!real_openat)                                                                                    \
            real_openat = (openat_function)dlsym(RTLD_NEXT, #name);                                          \
        va_list arguments;                                                                                   \
        va_start(arguments, flags);                                                                          \
        mode_t mode = va_arg(arguments, mode_t);                                                             \
        va_end(arguments);                                                                                   \
        return emptied_if_pty(real_openat(folder, path, flags, mode));                                       \
    }
OPEN_WRAPPER(open)
OPEN_WRAPPER(open64)
OPENAT_WRAPPER(openat)
OPENAT_WRAPPER(openat64)

#include "DriverRate.h"

// The kernel's own termios2, which carries the rate as a number rather than a B-code. Its header
// and glibc's <termios.h> define the same names, so this file stays apart from the port code.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tw
{

#ifdef TCGETS2

namespace
{

bool driverSettings(int descriptor, termios2 &settings)
{
    return descriptor >= 0 && ::ioctl(descriptor, TCGETS2, &settings) == 0;
}

} // namespace

qint32 driverOutputRate(int descriptor)
{
    termios2 settings{};
    if (driverSettings(descriptor, settings) && settings.c_ospeed > 0)
        return static_cast<qint32>(settings.c_ospeed);
    return 0;
}

char driverParity(int descriptor)
{
    termios2 settings{};
    if (!driverSettings(descriptor, settings))
        return 0;
    if (!(settings.c_cflag & PARENB))
        return 'n';
    const bool odd = settings.c_cflag & PARODD;
    if (settings.c_cflag & CMSPAR)
        return odd ? 'm' : 's';
    return odd ? 'o' : 'e';
}

#else

qint32 driverOutputRate(int)
{
    return 0;
}

char driverParity(int)
{
    return 0;
}

#endif

} // namespace tw

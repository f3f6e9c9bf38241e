#include "DriverRate.h"

// The kernel's own termios2, which carries the rate as a number rather than a B-code. Its header
// and glibc's <termios.h> define the same names, so this file stays apart from the port code.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tw
{

qint32 driverOutputRate(int descriptor)
{
#ifdef TCGETS2
    termios2 settings{};
    if (descriptor >= 0 && ::ioctl(descriptor, TCGETS2, &settings) == 0 && settings.c_ospeed > 0)
        return static_cast<qint32>(settings.c_ospeed);
#else
    Q_UNUSED(descriptor);
#endif
    return 0;
}

} // namespace tw

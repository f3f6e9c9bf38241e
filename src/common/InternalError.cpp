#include "InternalError.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace tw
{

namespace
{
// -1: not set, the environment decides.
std::atomic<int> g_fatal{-1};

bool internalErrorsAreFatal()
{
    const int fatal = g_fatal.load();
    return fatal < 0 ? std::getenv("TW_ABORT_ON_INTERNAL_ERROR") != nullptr : fatal != 0;
}
} // namespace

void setInternalErrorsFatal(bool fatal)
{
    g_fatal = fatal ? 1 : 0;
}

void internalError(const char *what)
{
    if (internalErrorsAreFatal()) {
        std::fprintf(stderr, "internal error: %s\n", what);
        std::abort();
    }
    throw InternalError(what);
}

} // namespace tw

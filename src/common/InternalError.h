#pragma once
// A fault of the program itself (a table without the row a caller relies on), as opposed to a
// fault of the user's input. It is never turned into a message about the input.
#include <stdexcept>

namespace tw
{

class InternalError : public std::logic_error
{
  public:
    using std::logic_error::logic_error;
};

// Reports an internal error: throws InternalError, for the run that met it to report as what it
// is; or, where internal errors are fatal (tests, fuzzing), prints what and aborts, as a failed
// assertion does.
[[noreturn]] void internalError(const char *what);

// Fatal from now on (true) or thrown (false). Without a call, the environment variable
// TW_ABORT_ON_INTERNAL_ERROR decides, so that programs a test starts behave like the test.
void setInternalErrorsFatal(bool fatal);

} // namespace tw

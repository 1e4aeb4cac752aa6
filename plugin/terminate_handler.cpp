// The C++ runtime's default terminate handler prints the pending exception's demangled
// type name to stderr, which pulls the whole demangler (and the C99 printf family behind it)
// into the DLL. Inside a mail client there is no stderr to read, and no exception is meant
// to reach std::terminate: every export catches everything. Defining the handler here keeps
// the runtime's own out of the link and leaves a plain abort.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

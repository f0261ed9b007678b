// Linked into every test program: the in-process IDE offers no installed
// library sources unless a test asks for them, so that results do not
// depend on the packages of the machine. A value given outside is kept;
// child processes (the velmoric command line) inherit it.
#include <cstdlib>

namespace {
const bool Set = [] { return ::setenv("VELMORIC_LIBRARY_PATH", "", 0) == 0; }();
}  // namespace

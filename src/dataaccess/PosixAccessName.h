#pragma once
// Included before everything else in every file (see CMakeLists.txt). POSIX declares a global
// function access() in <unistd.h>, which Qt pulls in; it would clash with the namespace access of
// the Access database interfaces. Declaring it here under another name keeps the global name free.
// Nothing in the program calls POSIX access().
#define access posix_access_unused
#include <unistd.h>
#undef access

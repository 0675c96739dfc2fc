#ifndef VEXIL_HOSTING_LIBRARY_LOAD_H_
#define VEXIL_HOSTING_LIBRARY_LOAD_H_

#include <string>

#include "platform/shared_library.h"

/// Why a library did not load, in the words of a report: the system's
/// reason, and for a library made for another processor, which one the
/// launcher needs.
std::string loadFailureReason(const LibraryLoadFailure& failure);

#endif  // VEXIL_HOSTING_LIBRARY_LOAD_H_

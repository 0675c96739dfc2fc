#ifndef VEXIL_TOOLS_STAMP_STAMP_H_
#define VEXIL_TOOLS_STAMP_STAMP_H_

// vexil-stamp: makes an application's own program from a launcher. It copies
// wlaunch.exe or claunch.exe to a new name and writes the application's icon
// and version information into the copy; optionally the .lap file beside it.
//
// Failures: the platform's file calls answer with a value; where the tool
// finds a failure it throws, StampError (pe_resources.h) with the whole
// message from stamp_messages.h, or UsageError for a command line it cannot
// follow. A function that has a value returns it and never stands for a
// failure with an empty one. Only main() catches them, writes the message and
// picks the exit code.

#include <stdexcept>
#include <string>
#include <vector>

#include "tools/stamp/application_resources.h"

/// A command line the tool cannot follow; the text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StampRequest {
  std::string launcher;     ///< the program to copy
  std::string output;       ///< the copy to make
  std::string icon;         ///< .ico file; empty keeps the launcher's icons
  std::string lapTemplate;  ///< template of the .lap file to write beside the copy; empty writes none
  VersionFields version;    ///< replaces the launcher's version information
  bool help = false;
};

/// The text of --help.
std::string stampUsage();

/// ARGUMENTS, after the program name, as a request. Version texts are taken as
/// they come; the caller converts them. Throws UsageError.
StampRequest parseStampArguments(const std::vector<std::string>& arguments);

/// TEMPLATE with each @NAME@, @PRODUCT_NAME@, @PRODUCT_VERSION@, @FILE_VERSION@,
/// @COMPANY@, @DESCRIPTION@ and @COPYRIGHT@ replaced by the request's value
/// (NAME: the copy's file name without ".exe"). Other text stays as it is.
std::string expandLapTemplate(const std::string& lapTemplate, const StampRequest& request);

/// The .lap file the launcher at PROGRAM reads: PROGRAM without a final ".exe" (any case), then ".lap".
std::string lapPathFor(const std::string& program);

/// Carries out REQUEST: the copy, and the .lap when asked for, appear complete
/// or not at all (each is written under a temporary name, then renamed). The
/// launcher is never changed. Throws StampError with the whole message.
void stamp(const StampRequest& request);

#endif  // VEXIL_TOOLS_STAMP_STAMP_H_

#include "hosting/library_load.h"

#include "report/messages.h"

namespace {

/// The launcher's machine as the reason names it; empty for one it has no words for.
std::string machineWords(Machine machine) {
  switch (machine) {
    case Machine::X86:
      return message::kLoadMachineX86;
    case Machine::X64:
      return message::kLoadMachineX64;
    case Machine::Arm64:
      return message::kLoadMachineArm64;
    case Machine::Other:
    case Machine::Unknown:
      break;
  }
  return std::string();
}

}  // namespace

std::string loadFailureReason(const LibraryLoadFailure& failure) {
  std::string reason = failure.reason.empty() ? std::string(message::kUnknownLoadReason) : failure.reason;
  // Some system texts have a place for the file's name ("%1 is not a valid ...").
  const size_t insert = reason.find("%1");
  if (insert != std::string::npos) reason.replace(insert, 2, message::kTheFile);
  const std::string machine = machineWords(failure.neededMachine);
  if (!machine.empty()) reason += message::kNotForThisMachine + machine + ")";
  return reason;
}

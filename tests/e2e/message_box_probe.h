#ifndef VEXIL_TESTS_E2E_MESSAGE_BOX_PROBE_H_
#define VEXIL_TESTS_E2E_MESSAGE_BOX_PROBE_H_

// A message box's icon is a handle that means something only inside the process
// that shows the box. The harness therefore hooks the probe DLL into the box's
// thread, sends the dialog the probe message, and the probe, running in that
// process, compares the icon with the system icons there and leaves its finding
// in a window property of the dialog.

/// Registered window message that asks the probe to look at the dialog it is sent to.
#define VEXIL_PROBE_MESSAGE_NAME "VexilE2eMessageBoxProbe"
/// Window property in which the probe leaves one of the codes below.
#define VEXIL_PROBE_ICON_PROPERTY "VexilE2eMessageBoxIcon"
/// The hook procedure the DLL exports.
#define VEXIL_PROBE_HOOK_NAME "messageBoxProbeHook"

enum ProbeIconCode {
  kProbeNoIcon = 1,  // property values must not be 0, which means "not set"
  kProbeExclamation,
  kProbeError,
  kProbeInformation,
  kProbeQuestion,
  kProbeOtherIcon,
};

#endif  // VEXIL_TESTS_E2E_MESSAGE_BOX_PROBE_H_

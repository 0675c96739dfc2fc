// Loaded by the system into a process under test when the harness hooks one of
// its threads; see message_box_probe.h.

#include "tests/e2e/message_box_probe.h"

#include <windows.h>

namespace {

HWND iconControl(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[16];
    if (GetClassNameA(child, className, sizeof className) && lstrcmpiA(className, "Static") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
      return child;
    }
  }
  return nullptr;
}

int iconCode(HWND dialog) {
  HWND control = iconControl(dialog);
  HICON icon = control ? reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0)) : nullptr;
  if (!icon) return kProbeNoIcon;
  // System icons are shared within a process: the box got the same handles.
  if (icon == LoadIconA(nullptr, IDI_EXCLAMATION)) return kProbeExclamation;
  if (icon == LoadIconA(nullptr, IDI_HAND)) return kProbeError;
  if (icon == LoadIconA(nullptr, IDI_ASTERISK)) return kProbeInformation;
  if (icon == LoadIconA(nullptr, IDI_QUESTION)) return kProbeQuestion;
  return kProbeOtherIcon;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK messageBoxProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent->message >= 0xC000 && sent->message == RegisterWindowMessageA(VEXIL_PROBE_MESSAGE_NAME)) {
      SetPropA(sent->hwnd, VEXIL_PROBE_ICON_PROPERTY,
               reinterpret_cast<HANDLE>(static_cast<INT_PTR>(iconCode(sent->hwnd))));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

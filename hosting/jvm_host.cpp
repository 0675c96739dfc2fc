#include "hosting/jvm_host.h"

#include "launcher/error_reporting.h"

void JvmHost::launch() {
  guardedStepPassingPayload("Error while launching program with JVM.", [&] {
    (void)m_properties;
    raiseFailure("Starting a Java runtime is not available in this build.");
  });
}

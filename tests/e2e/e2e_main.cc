#include <gtest/gtest.h>

#include "tests/e2e/harness_system.h"
#include "tests/e2e/launch_harness.h"

int main(int argc, char** argv) {
  harness_system::prepareTestProcess();
#ifdef VEXIL_E2E_REGISTRY_BINARY
  allowRegistryChanges();
#endif
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

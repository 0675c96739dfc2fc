#include "launcher/launch.h"

int main(int argc, char** argv) { return launcherMain(argc, argv, ReportChannel::kStandardOutput); }

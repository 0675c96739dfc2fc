// The library a fake runtime's JVM library imports from the runtime's own bin
// folder.
extern "C" int vexilHelperValue() { return 42; }

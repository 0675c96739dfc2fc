// A native library that an application loads by name: planted in the current
// directory it must not be found; in a configured library directory it must.
extern "C" int vexilPlantedLibraryValue() { return 12; }

// Start-up and shut-down of units, as the platform runs them: a unit with
// start-up work starts by itself while the application object is built,
// and its shut-down runs when the program ends, units in the reverse order
// of their start-up. framework/README.md tells why it is done this way.
#pragma once

#include <QtCore/QCoreApplication>

// Runs Proc once when the program ends; procedures added later run first.
// Adding a procedure a second time changes nothing.
void AddExitProc(void (*Proc)());

// Declares the start-up of Unit: StartUp runs while the application object
// is built (at once when it exists already). The unit's object file also
// defines the symbol velmora_unit_<Unit>; the library's CMake target names
// it to the linker (velmora_unit_start_ups), so that a program linked with
// the library keeps the start-up even when it uses nothing of the unit.
#define VELMORA_UNIT_START_UP(Unit, StartUp)         \
    extern "C" const char velmora_unit_##Unit = 0; \
    Q_COREAPP_STARTUP_FUNCTION(StartUp)

// Starts the Tracelet log window for the IDE's trace when none is running.
#pragma once

#include <string>

// The tracelet program: $VELMORIC_TRACELET, else beside ProgramDir (the
// build tree's tracelet/tracelet, then tracelet), else "tracelet" on PATH.
std::string TraceletProgram(const std::string& ProgramDir);

// Starts Program detached unless a Tracelet window listens already, and
// waits up to TimeoutMs for it to listen. False with Why when it did not.
bool EnsureTracelet(const std::string& Program, std::string& Why, int TimeoutMs = 5000);

// `tracelet --headless`: the receiver and the store without a window. Runs
// until SIGINT or SIGTERM, then reports its counts on stderr.
#pragma once

#include <string>

// LogFile empty: no log file. Returns the program's exit status.
int RunHeadless(const std::string& SocketPath, const std::string& LogFile);

// The installation directory of the running program.
//
// Every file the programs use (project, settings, browse files, logs) lies below the
// directory that holds the running executable. The three programs are installed together, so
// they share it.
#pragma once

#include <string>

// The directory of the running executable, read from /proc/self/exe, without a trailing
// slash (an executable in "/" gives the empty text, so that appending "/name" still forms a
// correct path). Empty text as well when the link cannot be read.
std::string ProgramDirectory();

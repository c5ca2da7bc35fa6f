// The maker's process: display check, COM, the mode dialog, then the editor until it closes.
#pragma once

#include <functional>

namespace tavrel {

// `registerClasses` registers the program's own COM classes (the simulated servers) after the
// OPC core classes. Returns the exit status: 1 without a display, else 0.
int RunMakerProcess(int argc, char** argv, const std::function<void()>& registerClasses);

}  // namespace tavrel

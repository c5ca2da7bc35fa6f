// Tavrel, the bridge between OPC DA servers and the programs that use their values.
#include "bridge/api/bridge_api.h"
#include "bridge/core/bridge_process.h"

int main() { return RunBridgeProcess(MakeBridgeApi); }

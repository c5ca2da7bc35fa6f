// Keldrin, the configuration maker: edits the project the bridge runs.
#include "maker/ui/maker_process.h"
#include "platform/opcsim/simulated_servers.h"

int main(int argc, char** argv) {
  using namespace tavrel;
  return RunMakerProcess(argc, argv, opcsim::RegisterSimulatedServers);
}

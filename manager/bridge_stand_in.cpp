// A program that stands in for the bridge in the manager's tests: it runs until it is asked to
// quit (quit_request.h), and then ends, as the bridge does.
#include "platform/process/quit_request.h"

int main() {
  using namespace tavrel;
  ListenForQuitRequests();
  WaitForQuitRequest();
  return 0;
}

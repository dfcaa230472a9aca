// Entry point of marvolt: runs the driver; a failure that no part handled
// ends the run with its message on standard error and its status.
#include "cli/marvolt.hpp"
#include "cli/program.hpp"
#include "platform/platform.hpp"

int main(int argc, char** argv) {
  marvolt::platform::initStreams();
  return marvolt::runProgram(marvolt::runMarvolt, marvolt::platform::programName(argc > 0 ? argv[0] : "marvolt"),
                             marvolt::platform::arguments(argc, argv));
}

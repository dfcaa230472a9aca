// Entry point of marvolt-season: runs its driver; a failure that no part
// handled ends the run with its message on standard error and its status.
#include "cli/program.hpp"
#include "cli/seasoncli.hpp"
#include "platform/platform.hpp"

int main(int argc, char** argv) {
  marvolt::platform::initStreams();
  return marvolt::runProgram(marvolt::runSeason,
                             marvolt::platform::programName(argc > 0 ? argv[0] : "marvolt-season"),
                             marvolt::platform::arguments(argc, argv));
}

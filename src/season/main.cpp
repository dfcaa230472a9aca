// Entry point of marvolt-season: runs its driver; a failure that no part
// handled ends the run with its message on standard error and its status.
#include "frontend/marvolt.hpp"
#include "season/seasoncli.hpp"

int main(int argc, char** argv) { return marvolt::runProgram(marvolt::runSeason, argc, argv); }

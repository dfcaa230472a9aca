// Entry point of marvolt: runs the driver; a failure that no part handled
// ends the run with its message on standard error and its status.
#include "frontend/marvolt.hpp"

int main(int argc, char** argv) { return marvolt::runProgram(marvolt::runMarvolt, argc, argv); }

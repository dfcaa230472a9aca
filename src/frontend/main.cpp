// Entry point of marvolt: runs the driver and turns any failure that no part
// handled into its message on standard error and status 1.
#include <cstdio>
#include <exception>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/marvolt.hpp"

int main(int argc, char** argv) {
  int status = 1;
  try {
    status = marvolt::runMarvolt(argc, argv);
  } catch (const marvolt::Error& e) {
    marvolt::cerr.writeln(e.message());
    status = 1;
  } catch (const std::exception& e) {
    marvolt::cerr.writeln(e.what());
    status = 1;
  }
  std::fflush(stdout);
  return status;
}

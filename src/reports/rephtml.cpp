#include "reports/rephtml.hpp"

namespace marvolt {

std::string reportHTML(const Data&, const Sections&) { return {}; }

}  // namespace marvolt

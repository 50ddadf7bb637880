// The data directory the build made (build/data), and scratch copies of it to damage.
#pragma once

#include <string>
#include <vector>

#include "tools/vantrel-data/bytes.h"

namespace vantrel::data::test {

// The build's own data directory; the test binary depends on it being made.
const std::string& generatedDirectory();

// A fresh temporary directory for this test process.
std::string scratchPath(const std::string& label);

// The bytes of one generated file.
std::vector<uint8_t> generatedFile(const std::string& name);

// A fresh copy of the generated directory that a test may change.
std::string scratchCopy(const std::string& label);

}  // namespace vantrel::data::test

#pragma once
// Small helpers shared by the tests: test data folders and byte buffers.
#include <cstdint>
#include <string>
#include <vector>

namespace tesra::test {

// The checkout's root, and the folder of outside test images (tests/data, holding corpus/).
std::string sourceDir();
std::string sharedDir();

std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A fresh empty folder under the system's temporary folder, removed by the caller if wanted.
std::string makeTempDir(const std::string& tag);

}  // namespace tesra::test

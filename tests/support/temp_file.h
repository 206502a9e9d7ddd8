// A uniquely named file in the system temporary directory, removed when the
// owner goes out of scope (also when a test assertion returns early).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tl::test {

class TempFile {
public:
    // suffix is appended to the generated name, e.g. ".m2v", so tools that look at
    // the extension see the right one.
    explicit TempFile(const std::string& suffix = "");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void write(const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
};

}  // namespace tl::test

#include "tests/support/corpus.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace tl::test {
namespace {

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return std::string(s.substr(first, last - first + 1));
}

bool parse_integer(const std::string& text, long long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool StreamInfo::has(const std::string& key) const { return fields.count(key) != 0; }

const std::string& StreamInfo::text(const std::string& key) const {
    const auto it = fields.find(key);
    if (it == fields.end()) throw std::runtime_error(name + ".info has no " + key);
    return it->second;
}

long long StreamInfo::number(const std::string& key) const {
    long long value = 0;
    if (!parse_integer(text(key), value))
        throw std::runtime_error(name + ".info: " + key + " is not an integer: " + text(key));
    return value;
}

Ratio StreamInfo::ratio(const std::string& key, char separator) const {
    const std::string& value = text(key);
    const auto split = value.find(separator);
    Ratio r;
    if (split == std::string::npos || !parse_integer(value.substr(0, split), r.num) ||
        !parse_integer(value.substr(split + 1), r.den) || r.den <= 0 || r.num < 0) {
        throw std::runtime_error(name + ".info: " + key + " is not a ratio: " + value);
    }
    return r;
}

std::optional<Ratio> StreamInfo::displayAspect() const {
    if (!has("display_aspect")) return std::nullopt;
    return ratio("display_aspect", ':');
}

std::filesystem::path StreamInfo::streamPath() const { return infoPath.parent_path() / text("file"); }

std::filesystem::path StreamInfo::md5Path() const { return infoPath.parent_path() / (name + ".md5"); }

std::filesystem::path source_dir() {
    if (const char* env = std::getenv("TL_SOURCE_DIR"); env != nullptr && *env != '\0') return env;
    return TL_DEFAULT_SOURCE_DIR;
}

std::filesystem::path corpus_dir() { return source_dir() / "tests" / "streams"; }

StreamInfo load_stream_info(const std::filesystem::path& infoPath) {
    StreamInfo info{infoPath.stem().string(), infoPath, {}};
    std::istringstream lines(read_text(infoPath));
    std::string line;
    for (std::size_t lineNumber = 1; std::getline(lines, line); ++lineNumber) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        const std::string key = equals == std::string::npos ? "" : trim(line.substr(0, equals));
        if (key.empty()) {
            throw std::runtime_error(info.name + ".info line " + std::to_string(lineNumber) +
                                     " is not key=value: " + line);
        }
        if (!info.fields.emplace(key, trim(line.substr(equals + 1))).second)
            throw std::runtime_error(info.name + ".info repeats " + key);
    }
    return info;
}

std::vector<StreamInfo> list_streams() {
    std::vector<StreamInfo> streams;
    for (const auto& entry : std::filesystem::directory_iterator(corpus_dir()))
        if (entry.is_regular_file() && entry.path().extension() == ".info")
            streams.push_back(load_stream_info(entry.path()));
    std::sort(streams.begin(), streams.end(),
              [](const StreamInfo& a, const StreamInfo& b) { return a.name < b.name; });
    return streams;
}

StreamInfo find_stream(const std::string& name) { return load_stream_info(corpus_dir() / (name + ".info")); }

std::vector<std::string> read_md5_lines(const std::filesystem::path& path) {
    const std::string text = read_text(path);
    std::vector<std::string> digests;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty()) continue;
        const bool valid = line.size() == 32 && line.find_first_not_of("0123456789abcdef") == std::string::npos;
        if (!valid) throw std::runtime_error(path.string() + ": not an md5 line: " + line);
        digests.push_back(line);
    }
    return digests;
}

std::string read_text(const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = read_file_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> read_file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tl::test

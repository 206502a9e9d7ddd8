// The committed stream corpus in tests/streams: every stream has a <name>.info
// (key=value facts about it) and, unless it is MPEG-1, a <name>.md5 with one digest
// per displayed picture in display order.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tl::test {

struct Ratio {
    long long num = 0;
    long long den = 1;
};

struct StreamInfo {
    std::string name;                         // file stem shared by .info, .md5 and the stream
    std::filesystem::path infoPath;
    std::map<std::string, std::string> fields;

    bool has(const std::string& key) const;
    // Throws std::runtime_error naming the stream and key when absent or malformed.
    const std::string& text(const std::string& key) const;
    long long number(const std::string& key) const;
    Ratio ratio(const std::string& key, char separator) const;

    std::filesystem::path streamPath() const;  // the file named by "file="
    std::filesystem::path md5Path() const;
    int width() const { return int(number("width")); }
    int height() const { return int(number("height")); }
    int frames() const { return int(number("frames")); }
    int chroma() const { return int(number("chroma")); }  // 420, 422 or 444
    bool interlaced() const { return number("interlaced") != 0; }
    bool mpeg1() const { return has("mpeg1") && number("mpeg1") != 0; }
    bool programStream() const { return has("container") && text("container") == "ps"; }
    Ratio frameRate() const { return ratio("frame_rate", '/'); }
    std::optional<Ratio> displayAspect() const;
    // One letter per delivered picture, display order ("IBBP...").
    std::string pictureTypes() const { return has("picture_types") ? text("picture_types") : ""; }
};

// TL_SOURCE_DIR from the environment when set, else the source tree this was built from.
std::filesystem::path source_dir();
std::filesystem::path corpus_dir();

// Blank lines and lines starting with '#' are ignored; any other line without '='
// is an error, so a truncated or mangled file is noticed rather than half read.
StreamInfo load_stream_info(const std::filesystem::path& infoPath);
// Every *.info in the corpus, sorted by name.
std::vector<StreamInfo> list_streams();
StreamInfo find_stream(const std::string& name);

// The digests of a .md5 file, one per line, validated as 32 lowercase hex digits.
std::vector<std::string> read_md5_lines(const std::filesystem::path& path);
std::vector<std::uint8_t> read_file_bytes(const std::filesystem::path& path);
std::string read_text(const std::filesystem::path& path);

}  // namespace tl::test

#include "services/ini_reader.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// The body of a section: the text after its first "[name]" header up to the
// next "[" anywhere in the file (even one inside a value), or to the end.
// Empty when the header is missing.
std::string_view sectionBody(const std::string& content, const std::string& section)
{
    const std::string header = "[" + section + "]";
    const std::size_t h = content.find(header);
    if (h == std::string::npos) return {};
    const std::size_t start = h + header.size();
    const std::size_t e = content.find('[', h + 1);
    if (e == std::string::npos) return std::string_view(content).substr(start);
    // A section name that itself holds "[" puts the next bracket inside its
    // own header; no writer makes such names, so the section reads as empty.
    if (e < start) return {};
    return std::string_view(content).substr(start, e - start);
}

}  // namespace

void CIniReader::load(const std::string& path)
{
    content.clear();
    loaded = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return;
    loaded = true;
    // Read in chunks until the end rather than trusting a size from seeking:
    // the size may be wrong for special files, and reading stops anyway at
    // the first zero byte, so a binary file cannot cost more than its text.
    char buffer[4096];
    bool sawZero = false;
    while (!sawZero) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        if (got == 0) break;
        const void* zero = std::memchr(buffer, 0, got);
        const std::size_t keep = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer) : got;
        content.append(buffer, keep);
        sawZero = zero != nullptr;
    }
    std::fclose(file);
}

std::string CIniReader::getString(const std::string& section, const std::string& key) const
{
    const std::string_view body = sectionBody(content, section);
    // A plain substring search: the first place the key's characters occur
    // wins, even inside a longer key name earlier in the section.
    const std::size_t k = body.find(key);
    if (k == std::string_view::npos) return {};
    const std::size_t q = body.find('=', k);
    if (q == std::string_view::npos) return {};
    // Values end at a carriage return; a file with bare line feeds keeps the
    // line feed and the following lines in the value (numbers still read
    // correctly because conversion stops there).
    const std::size_t r = body.find('\r', q);
    const std::size_t end = (r == std::string_view::npos) ? body.size() : r;
    return std::string(body.substr(q + 1, end - (q + 1)));
}

float CIniReader::getFloat(const std::string& section, const std::string& key) const
{
    return static_cast<float>(std::atof(getString(section, key).c_str()));
}

int32_t CIniReader::getInt(const std::string& section, const std::string& key) const
{
    // strtol instead of atoi: same reading for every in-range number, and a
    // defined result for the out-of-range ones a damaged file can hold.
    const std::string text = getString(section, key);
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

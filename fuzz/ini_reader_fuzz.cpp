// Feeds arbitrary bytes to the configuration reader as a file, then looks up
// sections and keys taken from the input itself (so the fuzzer can steer the
// lookups into the text it wrote) plus the fixed names the car asks for.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_scratch.h"
#include "services/ini_reader.h"

namespace {

std::optional<FuzzScratch> g_scratch;

// The first "[name]" of the text and the key on the line after it, when
// there are any, as a writer of such a file would name them.
void harvestNames(const std::string& text, std::string& section, std::string& key)
{
    const std::size_t open = text.find('[');
    if (open == std::string::npos) return;
    const std::size_t close = text.find(']', open + 1);
    if (close == std::string::npos) return;
    section = text.substr(open + 1, close - open - 1);
    std::size_t lineStart = close + 1;
    while (lineStart < text.size() && (text[lineStart] == '\r' || text[lineStart] == '\n')) ++lineStart;
    const std::size_t eq = text.find('=', lineStart);
    if (eq != std::string::npos) key = text.substr(lineStart, eq - lineStart);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string text = input.ConsumeRemainingBytesAsString();
    const std::string path = g_scratch->write("input.ini", text.data(), text.size());

    CIniReader reader;
    reader.load(path);
    if (!reader.isLoaded()) std::abort();
    if (reader.contentSize() > text.size()) std::abort();

    std::string foundSection, foundKey;
    harvestNames(text, foundSection, foundKey);
    const std::string sections[] = {section, foundSection, "HEADER", "VALUE0", ""};
    const std::string keys[] = {key, foundKey, "VALUES", "X", ""};
    for (const auto& s : sections) {
        for (const auto& k : keys) {
            const std::string value = reader.getString(s, k);
            // A value lies inside the text and never spans a carriage return.
            if (value.size() > reader.contentSize()) std::abort();
            if (value.find('\r') != std::string::npos) std::abort();
            (void)reader.getFloat(s, k);
            (void)reader.getInt(s, k);
        }
    }
    return 0;
}

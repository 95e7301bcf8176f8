#pragma once
// Key-in-section lookups over a small text data file (configuration, sound
// description, curve files). The file is read whole once; every lookup is a
// plain substring search over that text, with no parsing up front.

#include <cstddef>
#include <cstdint>
#include <string>

class CIniReader {
public:
    CIniReader() = default;
    virtual ~CIniReader() = default;

    // Reads the whole file; the text ends at the file's first zero byte.
    // A file that cannot be opened leaves the reader empty and not loaded.
    void load(const std::string& path);
    bool isLoaded() const { return loaded; }

    // The value text of key in section: from after the "=" up to the next
    // carriage return inside the section, or to the end of the section.
    // A missing section or key gives empty text.
    std::string getString(const std::string& section, const std::string& key) const;
    // The value as atof would read it, narrowed to float; 0 when missing.
    float getFloat(const std::string& section, const std::string& key) const;
    // The value as atoi would read it; 0 when missing. Out-of-range numbers
    // saturate at the int32 limits instead of being undefined.
    int32_t getInt(const std::string& section, const std::string& key) const;

    // Bytes of text held (up to the first zero byte of the file). Readers of
    // counted formats use it to bound how much a header may promise.
    std::size_t contentSize() const { return content.size(); }

private:
    std::string content;
    bool loaded = false;
};

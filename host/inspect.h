#pragma once
// vqsim inspect: what a data file holds, as text or as one JSON object. Each
// kind of file has a reader that fills an InspectReport; the command picks
// the reader by the file's extension.

#include <string>
#include <utility>
#include <vector>

// A report is an ordered list of named values and sections, printed as
// indented text or as JSON. Values are kept as JSON text (numbers, strings
// already quoted, true/false/null, arrays, nested objects).
class InspectReport {
public:
    void number(const std::string& key, double value);
    void integer(const std::string& key, long long value);
    void text(const std::string& key, const std::string& value);
    void flag(const std::string& key, bool value);
    // A list of sub-reports under a key (frames, geometries, materials, ...).
    void list(const std::string& key, const std::vector<InspectReport>& items);
    // Problems found while reading (missing textures, bad records, ...).
    void problem(const std::string& message) { problems_.push_back(message); }

    std::string toJson(int indent = 0) const;
    std::string toText(int indent = 0) const;
    const std::vector<std::string>& problems() const { return problems_; }

private:
    struct Entry {
        std::string key;
        std::string json;                  // scalar value as JSON text
        std::string plain;                 // the same for text output
        std::vector<InspectReport> items;  // set for lists
        bool isList = false;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> problems_;
};

// Reads `path` and fills the report; false (with `error`) when the file
// cannot be read as its kind at all.
using InspectReader = bool (*)(const std::string& path, InspectReport& report, std::string& error);

struct InspectKind {
    const char* extension;  // lower case, with the dot
    const char* what;       // for the help text
    InspectReader read;
};

// The readers vqsim knows, one row per file kind.
const std::vector<InspectKind>& inspectKinds();

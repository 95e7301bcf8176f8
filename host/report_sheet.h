#pragma once
// The car's data sheet and test battery as one table: printed for the
// terminal, drawn on the report's page, and written as one JSON object whose
// keys carry their units.

#include <optional>
#include <string>
#include <vector>

struct ReportResults;

class ReportSheet {
public:
    explicit ReportSheet(const ReportResults& results);

    // The printed table, one section after the other.
    std::string text() const;
    // Every figure under its key; a figure a run could not give is null.
    std::string json() const;

private:
    struct Field {
        std::string key;
        std::string json;  // the value as JSON: a number, null, true, false or a string
    };
    void field(const std::string& key, const std::optional<double>& value);
    void section(const std::string& title);
    // One row and one key: "label  value unit".
    void figure(const std::string& key, const std::optional<double>& value, const std::string& label,
                const std::string& unit, int decimals);
    void row(const std::string& label, const std::string& text);

    std::vector<Field> fields_;
    std::string text_;
};

// "255/40 ZR18" from a tyre file named like "michelin_255_40_ZR_18.vqt"; the
// name itself when it does not read so.
std::string tyreSizeFromFileName(const std::string& fileName);

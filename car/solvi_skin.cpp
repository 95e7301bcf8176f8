#include "car/solvi_skin.h"

#include <filesystem>

#include "services/ini_reader.h"

namespace {
// The value text runs to the line end; a file saved with other line ends
// leaves white space around the name.
std::string trimmed(const std::string& text)
{
    const char* space = " \t\r\n";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}
}  // namespace

SolviSkinChoice readSolviSkin(const std::string& root)
{
    const std::string base = root.empty() ? "" : root + "/";
    SolviSkinChoice choice{kSolviDefaultSkin, ""};
    CIniReader cfg;
    cfg.load(base + kSolviCfgFile);
    const std::string name = trimmed(cfg.getString("CURRENT", "SKIN"));
    std::error_code ec;
    if (!cfg.isLoaded())
        choice.problem = std::string("cannot read ") + kSolviCfgFile;
    else if (name.empty())
        choice.problem = std::string(kSolviCfgFile) + " names no skin ([CURRENT] SKIN)";
    else if (name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
        choice.problem = std::string(kSolviCfgFile) + ": SKIN '" + name + "' is not a folder name";
    else if (!std::filesystem::is_directory(base + kSolviSkinsFolder + name, ec))
        choice.problem = std::string(kSolviCfgFile) + ": the skin '" + name + "' does not exist (no folder " +
                         kSolviSkinsFolder + name + ")";
    else
        choice.name = name;
    return choice;
}

#include "host/arg_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

bool ArgReader::value(std::string& out)
{
    const std::string option = word();
    if (i_ + 1 >= argc_) {
        error = option + " needs a value";
        return false;
    }
    out = argv_[++i_];
    return true;
}

bool ArgReader::number(double& out)
{
    const std::string option = word();
    std::string text;
    if (!value(text)) return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(parsed)) {
        error = option + " needs a number, not '" + text + "'";
        return false;
    }
    out = parsed;
    return true;
}

bool ArgReader::whole(unsigned& out)
{
    const std::string option = word();
    std::string text;
    if (!value(text)) return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long parsed = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || errno == ERANGE || parsed > 0xFFFFFFFFul) {
        error = option + " needs a whole number, not '" + text + "'";
        return false;
    }
    out = static_cast<unsigned>(parsed);
    return true;
}

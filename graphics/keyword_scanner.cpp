#include "graphics/keyword_scanner.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool RKeywordScanner::readFile(const std::string& path, std::string& text) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(path.c_str(), "rb"), fclose);
    if (!f) return false;
    if (fseek(f.get(), 0, SEEK_END) != 0) return false;
    const long size = ftell(f.get());
    if (size < 0 || static_cast<unsigned long>(size) > kMaxFileBytes || fseek(f.get(), 0, SEEK_SET) != 0) return false;
    text.assign(static_cast<size_t>(size), '\0');
    return fread(text.data(), 1, text.size(), f.get()) == text.size();
}

bool RKeywordScanner::nextKeyword(std::string& keyword) {
    const size_t star = text_.find('*', pos_);
    if (star == std::string::npos) {
        pos_ = text_.size();
        return false;
    }
    line_ += static_cast<int>(std::count(text_.begin() + static_cast<long>(lineCountedTo_),
                                         text_.begin() + static_cast<long>(star), '\n'));
    lineCountedTo_ = star;
    if (line_ == 0) line_ = 1;
    size_t end = star + 1;
    while (end < text_.size() && !isSpace(text_[end])) ++end;
    keyword.assign(text_, star + 1, end - star - 1);
    pos_ = end;
    return true;
}

bool RKeywordScanner::peekWord(size_t& begin, size_t& end) const {
    begin = pos_;
    while (begin < text_.size() && isSpace(text_[begin])) ++begin;
    if (begin >= text_.size() || text_[begin] == '*') return false;
    end = begin;
    while (end < text_.size() && !isSpace(text_[end])) ++end;
    return true;
}

bool RKeywordScanner::readInt(int& value) {
    size_t begin, end;
    if (!peekWord(begin, end)) return false;
    const std::string word(text_, begin, end - begin);
    char* stop = nullptr;
    errno = 0;
    const long v = strtol(word.c_str(), &stop, 10);
    if (stop == word.c_str() || errno != 0 || v < -2147483647L || v > 2147483647L) return false;
    value = static_cast<int>(v);
    pos_ = end;
    return true;
}

bool RKeywordScanner::readFloat(float& value) {
    size_t begin, end;
    if (!peekWord(begin, end)) return false;
    const std::string word(text_, begin, end - begin);
    char* stop = nullptr;
    const float v = strtof(word.c_str(), &stop);
    if (stop == word.c_str() || !std::isfinite(v)) return false;
    value = v;
    pos_ = end;
    return true;
}

bool RKeywordScanner::readName(std::string& name) {
    size_t begin, end;
    if (!peekWord(begin, end)) return false;
    if (text_[begin] != '"') {
        name.assign(text_, begin, end - begin);
        pos_ = end;
        return true;
    }
    // To the closing quote, or to the end of the line when it has none.
    size_t close = begin + 1;
    while (close < text_.size() && text_[close] != '"' && text_[close] != '\n') ++close;
    name.assign(text_, begin + 1, close - begin - 1);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    pos_ = close < text_.size() && text_[close] == '"' ? close + 1 : close;
    return true;
}

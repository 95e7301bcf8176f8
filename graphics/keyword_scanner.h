// RKeywordScanner: the flat reading of the text export format used by the
// animation and spline readers: the whole file in memory, a keyword after
// each "*", arguments separated by spaces, tabs and line ends. Braces and
// nesting are not followed; a keyword acts on whatever the reader last set.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

class RKeywordScanner {
public:
    // Files larger than this are not read: no export of a car comes near.
    static constexpr size_t kMaxFileBytes = 256u * 1024u * 1024u;

    explicit RKeywordScanner(std::string text) : text_(std::move(text)) {}

    // The whole file; false when it cannot be read or is too large.
    static bool readFile(const std::string& path, std::string& text);

    // The next keyword, without its "*"; false at the end of the text.
    bool nextKeyword(std::string& keyword);
    // Arguments of the current keyword. Each fails, consuming nothing, when
    // the next word is a keyword, is missing or is not a (finite) number.
    bool readInt(int& value);
    bool readFloat(float& value);
    // A quoted name (spaces allowed inside the quotes) or a bare word.
    bool readName(std::string& name);
    // Line of the last keyword, from 1, for diagnostics.
    int line() const { return line_; }

private:
    // The next whitespace-separated word, without consuming it.
    bool peekWord(size_t& begin, size_t& end) const;

    std::string text_;
    size_t pos_ = 0;
    int line_ = 0;
    size_t lineCountedTo_ = 0;
};

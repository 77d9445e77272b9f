#pragma once
// Tokens and lines of a drawing file held in memory. Moving back in front of something
// already read is a change of offset, which the importers do all the time.
#include <cstddef>
#include <string_view>

// Longest text line that is kept (the rest of a longer line is read and dropped, so a
// runaway line is never taken for the lines after it).
constexpr std::size_t kTextLineLimit = 143;

class TextScanner {
public:
    explicit TextScanner(std::string_view text) : text_(text) {}

    // Next whitespace-separated token; false at the end of the input.
    bool NextToken(std::string_view& token);
    // Characters up to the next line feed (which is consumed), without the line end ("\r\n"
    // or "\n"), cut to kTextLineLimit. False when the input has already ended; a last line
    // without a line feed is returned as it is.
    bool NextLine(std::string_view& line);

    std::size_t Tell() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }
    bool AtEnd() const { return pos_ >= text_.size(); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

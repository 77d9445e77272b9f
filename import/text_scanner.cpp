#include "import/text_scanner.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

bool TextScanner::NextToken(std::string_view& token)
{
    const std::size_t n = text_.size();
    while (pos_ < n && IsBlank(text_[pos_]))
        ++pos_;
    if (pos_ >= n)
        return false;
    const std::size_t start = pos_;
    while (pos_ < n && !IsBlank(text_[pos_]))
        ++pos_;
    token = text_.substr(start, pos_ - start);
    return true;
}

bool TextScanner::NextLine(std::string_view& line)
{
    const std::size_t n = text_.size();
    if (pos_ >= n)
        return false;
    const std::size_t start = pos_;
    const std::size_t feed = text_.find('\n', start);
    std::size_t end = feed == std::string_view::npos ? n : feed;
    pos_ = feed == std::string_view::npos ? n : feed + 1;
    if (end > start && text_[end - 1] == '\r')
        --end;
    line = text_.substr(start, end - start);
    if (line.size() > kTextLineLimit)
        line = line.substr(0, kTextLineLimit);
    return true;
}

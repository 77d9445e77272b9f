#include "import/dxf_reader.h"

#include <charconv>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return s.substr(i);
}

}  // namespace

int get_line(TextScanner& reader, std::string_view& line)
{
    return reader.NextLine(line) ? 0 : -1;
}

bool ParseDxfNumber(std::string_view value, double& number)
{
    value = TrimLeft(value);
    if (!value.empty() && value[0] == '+')
        value.remove_prefix(1);
    const char* begin = value.data();
    const auto result = std::from_chars(begin, begin + value.size(), number);
    return result.ec == std::errc() && result.ptr != begin;
}

bool ParseDxfInteger(std::string_view value, long& number)
{
    value = TrimLeft(value);
    if (!value.empty() && value[0] == '+')
        value.remove_prefix(1);
    const char* begin = value.data();
    const auto result = std::from_chars(begin, begin + value.size(), number);
    return result.ec == std::errc() && result.ptr != begin;
}

DxfCode ReadGroupCode(TextScanner& reader, int& code)
{
    std::string_view token;
    if (!reader.NextToken(token))
        return DxfCode::End;
    long number = 0;
    const char* begin = token.data();
    const auto result = std::from_chars(begin, begin + token.size(), number);
    if (result.ec != std::errc() || result.ptr != begin + token.size() || number < -32768 ||
        number > 32767)
        return DxfCode::Bad;
    code = static_cast<int>(number);
    return DxfCode::Read;
}

bool ReadGroupValue(TextScanner& reader, std::string_view& value)
{
    // The rest of the code's own line holds the value when it holds anything at all.
    std::string_view rest;
    if (get_line(reader, rest) != 0)
        return false;
    if (!TrimLeft(rest).empty()) {
        value = TrimLeft(rest);
        return true;
    }
    return get_line(reader, value) == 0;
}

int get_values(TextScanner& reader, DxfGroupValues& values)
{
    values = DxfGroupValues();
    bool oddFlags = false;
    for (;;) {
        const std::size_t before = reader.Tell();
        int code = 0;
        const DxfCode got = ReadGroupCode(reader, code);
        if (got != DxfCode::Read)
            return 0;
        if (code == 0) {
            reader.Seek(before);
            return oddFlags ? 2 : 1;
        }
        std::string_view value;
        if (!ReadGroupValue(reader, value))
            return 0;
        double* field = nullptr;
        switch (code) {
        case 10: field = &values.x1; break;
        case 20: field = &values.y1; break;
        case 30: field = &values.z1; break;
        case 11: field = &values.x2; break;
        case 21: field = &values.y2; break;
        case 31: field = &values.z2; break;
        case 40: case 42: field = &values.radius; break;
        case 50: field = &values.startAngle; break;
        case 51: field = &values.endAngle; break;
        case 6: values.lineType.assign(value.data(), value.size()); break;
        case 70: {
            long flags = 0;
            if (!ParseDxfInteger(value, flags))
                return 0;
            if (flags % 2 != 0)
                oddFlags = true;
            break;
        }
        default: break;
        }
        if (field && !ParseDxfNumber(value, *field))
            return 0;
    }
}

int get_string(TextScanner& reader, int code, std::string& buffer)
{
    for (;;) {
        const std::size_t before = reader.Tell();
        int got = 0;
        if (ReadGroupCode(reader, got) != DxfCode::Read)
            return 0;
        if (got == 0) {
            reader.Seek(before);
            return 1;
        }
        std::string_view value;
        if (!ReadGroupValue(reader, value))
            return 0;
        if (got == code) {
            buffer.assign(value.data(), value.size());
            return 1;
        }
    }
}

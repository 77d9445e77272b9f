// Screen geometry: defaults, ./screen.conf, derived values.
//
// The file is a sequence of "key = number" items separated by any white space. Reading is
// forgiving, item by item: an unknown key, a key without "=", a key whose number is missing
// or out of range, and a key longer than 127 characters are all skipped, and reading goes on
// with the next word. Only the first MiB is looked at, so a runaway file cannot stall start-up.

#include "base/screen_config.h"
#include "base/console.h"

#include <sys/stat.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

int screen_width, screen_height;
int screen_LM, screen_RM, screen_TM, screen_BM;
int menubar_width, menubar_height;
int toolbar_button_size, confirm_button_size;
int icon_style;
int pop_menu_x, pop_menu_y;
int pattern_list_width, pattern_list_height;
int pattern_preview_width, pattern_preview_height;
int pattern_select_width, pattern_select_height;
int pattern_select_button_width, pattern_select_button_height;
int trace_button_width, trace_button_height;
int setup_button_width, setup_button_height;
int setup_slider_width, setup_slider_height;
int setup_spinbox_width, setup_spinbox_height;
int scale_dialog_width, scale_dialog_height;
int array_dialog_width, array_dialog_height;
int number_entry_width, number_entry_height;
int special_message_width, special_message_height;
int message_width, message_height;
int file_selection_width, file_selection_height;

int view_area_width, view_area_height;
int toolbar_height, toolbar_width;

namespace {

const char* const kScreenConfigFile = "./screen.conf";
constexpr size_t kMaxKeyLength = 127;
constexpr long kMaxConfigBytes = 1 << 20;
// Sizes and positions on a small screen; anything outside this is a typing slip.
constexpr long kMaxValue = 100000;

struct Key {
    const char* name;
    int* value;
    int defaultValue;
};

// pop_menu_x is not in the table: its default depends on screen_width.
const Key kKeys[] = {
    {"screen_width", &screen_width, 320},
    {"screen_height", &screen_height, 240},
    {"screen_LM", &screen_LM, 2},
    {"screen_RM", &screen_RM, 2},
    {"screen_TM", &screen_TM, 2},
    {"screen_BM", &screen_BM, 2},
    {"menubar_width", &menubar_width, 160},
    {"menubar_height", &menubar_height, 40},
    {"toolbar_button_size", &toolbar_button_size, 30},
    {"confirm_button_size", &confirm_button_size, 32},
    {"icon_style", &icon_style, 0},
    {"pop_menu_y", &pop_menu_y, 0},
    {"pattern_list_width", &pattern_list_width, 170},
    {"pattern_list_height", &pattern_list_height, 195},
    {"pattern_preview_width", &pattern_preview_width, 140},
    {"pattern_preview_height", &pattern_preview_height, 80},
    {"pattern_select_width", &pattern_select_width, 140},
    {"pattern_select_height", &pattern_select_height, 195},
    {"pattern_select_button_width", &pattern_select_button_width, 50},
    {"pattern_select_button_height", &pattern_select_button_height, 50},
    {"trace_button_width", &trace_button_width, 60},
    {"trace_button_height", &trace_button_height, 30},
    {"setup_button_width", &setup_button_width, 155},
    {"setup_button_height", &setup_button_height, 50},
    {"setup_slider_width", &setup_slider_width, 60},
    {"setup_slider_height", &setup_slider_height, 115},
    {"setup_spinbox_width", &setup_spinbox_width, 80},
    {"setup_spinbox_height", &setup_spinbox_height, 22},
    {"scale_dialog_width", &scale_dialog_width, 320},
    {"scale_dialog_height", &scale_dialog_height, 240},
    {"array_dialog_width", &array_dialog_width, 300},
    {"array_dialog_height", &array_dialog_height, 240},
    {"number_entry_width", &number_entry_width, 320},
    {"number_entry_height", &number_entry_height, 240},
    {"special_message_width", &special_message_width, 320},
    {"special_message_height", &special_message_height, 240},
    {"message_width", &message_width, 320},
    {"message_height", &message_height, 240},
    {"file_selection_width", &file_selection_width, 320},
    {"file_selection_height", &file_selection_height, 240},
};

// A byte-by-byte reader with one byte of look-ahead and a cap on how much it will read.
class Scanner {
public:
    explicit Scanner(std::istream& in) : in_(in) {}
    int Peek()
    {
        if (read_ >= kMaxConfigBytes)
            return EOF;
        return in_.peek();
    }
    int Get()
    {
        int c = Peek();
        if (c != EOF) {
            in_.get();
            ++read_;
        }
        return c;
    }
    void SkipSpace()
    {
        while (Peek() != EOF && std::isspace(Peek()))
            Get();
    }
    bool Truncated() { return read_ >= kMaxConfigBytes && in_.peek() != EOF; }

private:
    std::istream& in_;
    long read_ = 0;
};

// Reads a whitespace-free word; `tooLong` tells whether it exceeded the key limit (the
// rest of the word is consumed, not left to be read as another key).
std::string ReadWord(Scanner& s, bool& tooLong)
{
    std::string word;
    tooLong = false;
    while (s.Peek() != EOF && !std::isspace(s.Peek())) {
        int c = s.Get();
        if (word.size() < kMaxKeyLength)
            word += static_cast<char>(c);
        else
            tooLong = true;
    }
    return word;
}

// Reads an optionally signed decimal number as scanf's %d would; false when there is none
// or it does not fit.
bool ReadNumber(Scanner& s, long& value)
{
    s.SkipSpace();
    bool negative = false;
    if (s.Peek() == '+' || s.Peek() == '-')
        negative = s.Get() == '-';
    if (s.Peek() == EOF || !std::isdigit(s.Peek()))
        return false;
    bool overflow = false;
    value = 0;
    while (s.Peek() != EOF && std::isdigit(s.Peek())) {
        int digit = s.Get() - '0';
        if (value > (LONG_MAX - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    if (negative)
        value = -value;
    return !overflow;
}

int* FindKey(const std::string& name)
{
    for (const Key& k : kKeys)
        if (name == k.name)
            return k.value;
    if (name == "pop_menu_x")
        return &pop_menu_x;
    return nullptr;
}

// Returns whether the file set pop_menu_x.
bool ReadConfig(std::istream& in)
{
    Scanner s(in);
    bool popMenuXSet = false;
    for (;;) {
        s.SkipSpace();
        if (s.Peek() == EOF)
            break;
        bool tooLong = false;
        std::string key = ReadWord(s, tooLong);
        s.SkipSpace();
        if (s.Peek() != '=')
            continue;  // not an item; the next word starts afresh
        s.Get();
        long value = 0;
        if (!ReadNumber(s, value))
            continue;
        if (tooLong) {
            ConsolePrintf("screen.conf: ignoring a key longer than %zu characters\n",
                          kMaxKeyLength);
            continue;
        }
        int* target = FindKey(key);
        if (target == nullptr)
            continue;
        if (value < -kMaxValue || value > kMaxValue) {
            ConsolePrintf("screen.conf: ignoring %s = %ld (out of range)\n", key.c_str(), value);
            continue;
        }
        *target = static_cast<int>(value);
        if (target == &pop_menu_x)
            popMenuXSet = true;
    }
    if (s.Truncated())
        ConsolePrintf("screen.conf: only the first %ld bytes were read\n", kMaxConfigBytes);
    return popMenuXSet;
}

}  // namespace

void ParseConfig()
{
    for (const Key& k : kKeys)
        *k.value = k.defaultValue;
    pop_menu_x = 0;

    bool popMenuXSet = false;
    struct stat st {};
    // Only a regular file: a pipe or device under that name could block start-up.
    if (stat(kScreenConfigFile, &st) == 0 && S_ISREG(st.st_mode)) {
        std::ifstream in(kScreenConfigFile, std::ios::binary);
        if (in)
            popMenuXSet = ReadConfig(in);
    }
    if (!popMenuXSet)
        pop_menu_x = screen_width - 95;

    view_area_width = screen_width;
    view_area_height = screen_height - menubar_height;
    toolbar_height = menubar_height;
    toolbar_width = screen_width - menubar_width;
}

// The on-screen keyboard's and number pad's rules, apart from their widgets.

#include "files/keyboard.h"

#include <algorithm>

#include "base/ui_hooks.h"

const char kNormalKeys[kKeyCount + 1] = "1234567890qwertyuiopasdfghjkl-zxcvbnm,.+";
const char kShiftedKeys[kKeyCount + 1] = "!@#$%^&*()QWERTYUIOPASDFGHJKL=ZXCVBNM<>?";

char KeyCharacter(int index, bool shifted)
{
    if (index < 0 || index >= kKeyCount)
        return 0;
    return shifted ? kShiftedKeys[index] : kNormalKeys[index];
}

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Bytes of the character starting at `at`: as many as its lead byte announces and the text
// holds; an invalid byte is a character of its own.
size_t CharacterBytes(const std::string& text, size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t want = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                   : (lead >> 3) == 0x1E ? 4 : 1;
    size_t n = 1;
    while (n < want && at + n < text.size() && IsContinuation(text[at + n]))
        ++n;
    return n;
}

// The byte offset of character `index` (clamped to the text).
size_t ByteOffset(const std::string& text, int index)
{
    size_t at = 0;
    for (int i = 0; i < index && at < text.size(); ++i)
        at += CharacterBytes(text, at);
    return at;
}

void Clamp(EntryText& entry)
{
    const int count = CharacterCount(entry.text);
    entry.cursor = std::clamp(entry.cursor, 0, count);
    entry.selectionBound = std::clamp(entry.selectionBound, 0, count);
}

// Removes the selected characters; true when there were any. The cursor goes to where they
// were.
bool DeleteSelection(EntryText& entry)
{
    if (entry.cursor == entry.selectionBound)
        return false;
    const int from = std::min(entry.cursor, entry.selectionBound);
    const int to = std::max(entry.cursor, entry.selectionBound);
    const size_t a = ByteOffset(entry.text, from);
    entry.text.erase(a, ByteOffset(entry.text, to) - a);
    entry.cursor = entry.selectionBound = from;
    return true;
}

}  // namespace

int CharacterCount(const std::string& text)
{
    int count = 0;
    for (size_t at = 0; at < text.size(); at += CharacterBytes(text, at))
        ++count;
    return count;
}

void EntryInsert(EntryText& entry, const std::string& s)
{
    Clamp(entry);
    DeleteSelection(entry);
    entry.text.insert(ByteOffset(entry.text, entry.cursor), s);
    entry.cursor += CharacterCount(s);
    entry.selectionBound = entry.cursor;
}

void EntryBackspace(EntryText& entry)
{
    Clamp(entry);
    if (DeleteSelection(entry) || entry.cursor == 0)
        return;
    const size_t to = ByteOffset(entry.text, entry.cursor);
    const size_t from = ByteOffset(entry.text, entry.cursor - 1);
    entry.text.erase(from, to - from);
    entry.selectionBound = --entry.cursor;
}

void KeyboardModel::PressKey(int index)
{
    const char c = KeyCharacter(index, shift);
    if (c == 0)
        return;
    buttonPressed = index;
    EntryInsert(entry, std::string(1, c));
    shift = false;
}

void KeyboardModel::PressSpace()
{
    EntryInsert(entry, " ");
    shift = false;
}

void KeyboardModel::PressBackspace() { EntryBackspace(entry); }

// --- Number pad ------------------------------------------------------------------------------

namespace {

// Digits after the '.', or npos without one.
size_t Decimals(const std::string& text)
{
    const size_t dot = text.find('.');
    return dot == std::string::npos ? std::string::npos : text.size() - dot - 1;
}

size_t WholeDigits(const std::string& text)
{
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    return static_cast<size_t>(std::count_if(whole.begin(), whole.end(),
                                              [](char c) { return c >= '0' && c <= '9'; }));
}

// Largest magnitude the pad hands back: nine whole digits and three decimals.
constexpr double kNumberPadLimit = 999999999.999;

}  // namespace

std::string NumberPadKey(const std::string& shown, bool& eraseText, char key)
{
    std::string text = eraseText ? std::string() : shown;
    eraseText = false;
    if (key == kNumberPadBackspace) {
        if (!text.empty())
            text.pop_back();
        return text;
    }
    if (key == '.') {
        if (text.find('.') == std::string::npos && text.size() < kNumberPadMaxLength)
            text += '.';
        return text;
    }
    if (key < '0' || key > '9' || text.size() >= kNumberPadMaxLength)
        return text;
    text += key;
    const size_t decimals = Decimals(text);
    if (decimals == std::string::npos) {
        if (WholeDigits(text) > kNumberPadMaxWholeDigits)
            text.pop_back();
    } else if (decimals > 3 && key != '0') {
        // Thousandths at most; a zero in the fourth place changes nothing and stays.
        text.pop_back();
    }
    return text;
}

double NumberPadResult(const std::string& entry, bool ok, const std::string& startText,
                       int angleMode, bool counterclockwise)
{
    double value = NumberFromText(ok ? entry : startText);
    value = std::clamp(value, -kNumberPadLimit, kNumberPadLimit);
    if (!ok || angleMode != 1)
        return value;
    value = std::min(value, 360.0);
    return counterclockwise ? 360.0 - value : value;
}

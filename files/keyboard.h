#pragma once
// The on-screen keyboard and number pad without their widgets: the key sets, the entry's
// text model and the number pad's rules. The GTK dialogs (keyboard_dialog.cpp,
// number_entry_dialog.cpp) only read their widgets into these and write the result back.

#include <string>

// --- Keyboard --------------------------------------------------------------------------------

// Forty character keys, four rows of ten, in two sets. A key is known by its index, so its
// label can be exchanged between the sets.
constexpr int kKeyCount = 40;
constexpr int kKeysPerRow = 10;
extern const char kNormalKeys[kKeyCount + 1];
extern const char kShiftedKeys[kKeyCount + 1];

// The character of key `index` in the set in force; 0 for an index outside 0..39.
char KeyCharacter(int index, bool shifted);

// The entry's text with its cursor and selection, both counted in characters (UTF-8), never
// bytes. `cursor` and `selectionBound` are the two ends of the selection; equal when nothing
// is selected.
struct EntryText {
    std::string text;
    int cursor = 0;
    int selectionBound = 0;
};

// Number of UTF-8 characters in `text` (an invalid byte counts as one character).
int CharacterCount(const std::string& text);
// Inserts `s` at the cursor, replacing the selection if there is one; the cursor ends after
// the inserted text and nothing stays selected.
void EntryInsert(EntryText& entry, const std::string& s);
// Deletes the selection if there is one, else the character before the cursor; the cursor
// stays where the deletion was.
void EntryBackspace(EntryText& entry);

// The keyboard's state between key presses.
struct KeyboardModel {
    EntryText entry;
    bool shift = false;
    // The index of the last character key pressed; 99 until one is.
    int buttonPressed = 99;

    // A character key: its character of the set in force, then Shift goes off (it acts on
    // one character).
    void PressKey(int index);
    void PressSpace();
    void PressBackspace();
};

// --- Number pad ------------------------------------------------------------------------------

// What the pad's entry may grow to: results always fit an int.
constexpr size_t kNumberPadMaxLength = 12;
constexpr size_t kNumberPadMaxWholeDigits = 9;
constexpr char kNumberPadBackspace = '\b';

// One key of the pad (a digit, '.', or kNumberPadBackspace) applied to the entry's text.
// While `eraseText` is set the pad still shows the caller's value: the key starts from an
// empty text and clears it. A second '.', a digit beyond the thousandths (other than a
// trailing zero in the fourth place) or beyond the length limits is not taken.
std::string NumberPadKey(const std::string& shown, bool& eraseText, char key);

// The pad's result. On OK the entry's number (0 when it is none); in angle mode limited to
// 360 and, counter-clockwise, 360 minus it. On Cancel (or any other ending) the start value.
double NumberPadResult(const std::string& entry, bool ok, const std::string& startText,
                       int angleMode, bool counterclockwise);

#pragma once
// Reading a whole drawing file into memory before it is converted.
#include <cstdio>
#include <string>

// Appends everything left on `input` to `text`. False on a read error or when memory runs
// out; `text` then holds no meaning.
bool ReadWholeStream(std::FILE* input, std::string& text);

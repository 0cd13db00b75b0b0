#pragma once

#include <cstdio>
#include <string>

// Text helpers shared by the stores' readers and writers.

// After a bounded "%19s" or "%75s" has filled its buffer, drops the rest of that run of
// non-white-space characters, so that an over-long value reads as its first characters and the
// reader goes on after it.
void SkipRestOfValue(std::FILE* file);

// Whether the value a "%n%19s%n" read between the positions `from` and `to` is whole: a NUL byte in
// the file would cut it short as a C string.
bool IsWholeValue(const char* value, int from, int to);

// Upper-cases the ASCII letters, as the stores write them; other bytes stay as they are.
std::string UpperCase(std::string text);

// Whether `text` holds a blank, tab, line end, vertical tab or form feed (the reader's white space).
bool HasWhiteSpace(const std::string& text);

// Replaces every occurrence of `from` by `to`, left to right.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

#include "core/stores/StoreText.h"

#include <cstring>

void SkipRestOfValue(std::FILE* file)
{
    // A matching failure when the value ended at white space: nothing is consumed then.
    static_cast<void>(std::fscanf(file, "%*[^ \t\n\v\f\r]"));
}

bool IsWholeValue(const char* value, int from, int to)
{
    return to > from && std::strlen(value) == static_cast<size_t>(to - from);
}

std::string UpperCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool HasWhiteSpace(const std::string& text)
{
    return text.find_first_of(" \t\n\v\f\r") != std::string::npos;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty()) {
        return text;
    }
    std::string::size_type pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

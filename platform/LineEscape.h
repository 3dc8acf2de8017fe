#pragma once

#include <string>

/// Texts stored one per line in Orvane's own files (the plug-in cache, session files): a
/// backslash, a line feed and a carriage return are written as \\, \n and \r, so that any
/// path or message stays on its line and comes back unchanged.
///
///     EscapeLine("a\nb") == "a\\nb";
namespace platform {

std::string EscapeLine(const std::string& text);

/// The text EscapeLine made; false for a lone backslash or any other escape.
bool UnescapeLine(const std::string& line, std::string& text);

}  // namespace platform

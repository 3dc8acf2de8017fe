#pragma once

#include <string>
#include <vector>

#include "plugins/PluginInfo.h"

/// The text form of plug-in records, shared by orvane-scan's output and the cache file: one
/// "key=value" line per field, values escaped so that any text fits on its line, and a line
/// "end" after each record.
///
///     std::string text = FormatRecord(info);
///     std::vector<PluginInfo> back;  ParseRecords(text, back);
namespace scan_report {

/// The first line of orvane-scan's output, so that a stray program is not mistaken for it.
inline constexpr const char* kScannerGreeting = "orvane-scan 1";

std::string FormatRecord(const PluginInfo& info);

/// Reads every record of `text` into `records`. False, with `records` as far as it got, when
/// anything is out of place: an unknown key, a bad number, a record without its end.
bool ParseRecords(const std::string& text, std::vector<PluginInfo>& records);

}  // namespace scan_report

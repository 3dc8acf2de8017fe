#include "plugins/ScanReport.h"

#include <charconv>
#include <functional>
#include <map>
#include <sstream>

#include "platform/LineEscape.h"

namespace scan_report {
namespace {

template <typename Number>
bool ToNumber(const std::string& text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

using Setter = std::function<bool(PluginInfo&, const std::string&)>;

Setter Text(std::string PluginInfo::*field) {
    return [field](PluginInfo& info, const std::string& value) {
        info.*field = value;
        return true;
    };
}

template <typename Number>
Setter Count(Number PluginInfo::*field) {
    return [field](PluginInfo& info, const std::string& value) {
        return ToNumber(value, info.*field);
    };
}

const std::map<std::string, Setter>& Setters() {
    static const std::map<std::string, Setter> setters = {
        {"path", Text(&PluginInfo::path)},
        {"size", Count(&PluginInfo::size)},
        {"modified", Count(&PluginInfo::modified)},
        {"status",
         [](PluginInfo& info, const std::string& value) {
             info.ok = value == "ok";
             return value == "ok" || value == "failed";
         }},
        {"reason", Text(&PluginInfo::failure)},
        {"name", Text(&PluginInfo::name)},
        {"vendor", Text(&PluginInfo::vendor)},
        {"product", Text(&PluginInfo::product)},
        {"category", Count(&PluginInfo::category)},
        {"version", Count(&PluginInfo::version)},
        {"id", Count(&PluginInfo::uniqueId)},
        {"inputs", Count(&PluginInfo::inputs)},
        {"outputs", Count(&PluginInfo::outputs)},
        {"parameters", Count(&PluginInfo::parameters)},
        {"editor",
         [](PluginInfo& info, const std::string& value) {
             info.hasEditor = value == "1";
             return value == "0" || value == "1";
         }},
        // The user's choice, kept by the cache only; a record without it runs in a child.
        {"inprocess",
         [](PluginInfo& info, const std::string& value) {
             info.runInProcess = value == "1";
             return value == "0" || value == "1";
         }},
    };
    return setters;
}

}  // namespace

std::string FormatRecord(const PluginInfo& info) {
    std::ostringstream out;
    out << "path=" << platform::EscapeLine(info.path) << '\n'
        << "size=" << info.size << '\n'
        << "modified=" << info.modified << '\n'
        << "status=" << (info.ok ? "ok" : "failed") << '\n';
    if (!info.ok) {
        out << "reason=" << platform::EscapeLine(info.failure) << '\n';
    }
    out << "name=" << platform::EscapeLine(info.name) << '\n'
        << "vendor=" << platform::EscapeLine(info.vendor) << '\n'
        << "product=" << platform::EscapeLine(info.product) << '\n'
        << "category=" << info.category << '\n'
        << "version=" << info.version << '\n'
        << "id=" << info.uniqueId << '\n'
        << "inputs=" << info.inputs << '\n'
        << "outputs=" << info.outputs << '\n'
        << "parameters=" << info.parameters << '\n'
        << "editor=" << (info.hasEditor ? 1 : 0) << '\n';
    if (info.runInProcess) {
        out << "inprocess=1\n";
    }
    out << "end\n";
    return out.str();
}

bool ParseRecords(const std::string& text, std::vector<PluginInfo>& records) {
    std::istringstream in(text);
    std::string line;
    PluginInfo current;
    bool open = false;
    bool statusSeen = false;
    while (std::getline(in, line)) {
        if (line == "end") {
            if (!open || !statusSeen) {
                return false;
            }
            records.push_back(std::move(current));
            current = PluginInfo{};
            open = false;
            statusSeen = false;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            return false;
        }
        const auto setter = Setters().find(line.substr(0, equals));
        std::string value;
        if (setter == Setters().end() || !platform::UnescapeLine(line.substr(equals + 1), value) ||
            !setter->second(current, value)) {
            return false;
        }
        statusSeen = statusSeen || setter->first == "status";
        open = true;
    }
    return !open;
}

}  // namespace scan_report

#include "platform/user_settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace voice {
namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string clean;
    for (const char c : Trim(text))
        if (c != '\r' && c != '\n')
            clean += c;
    return clean;
}

} // namespace

UserSettings UserSettings::Parse(std::string_view text) {
    UserSettings settings;
    if (text.starts_with("\xEF\xBB\xBF")) // a byte-order mark from a text editor
        text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, equals));
        if (!key.empty() && !key.starts_with('#') && !key.starts_with(';'))
            settings.values_[std::string(key)] = std::string(Trim(line.substr(equals + 1)));
    }
    return settings;
}

std::string UserSettings::Serialize() const {
    std::string text;
    for (const auto& [key, value] : values_)
        text += key + '=' + value + "\r\n";
    return text;
}

std::optional<std::string> UserSettings::Get(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

int UserSettings::GetInt(std::string_view key, int fallback, int min, int max) const {
    const auto text = Get(key);
    if (!text)
        return fallback;
    int value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc{} || stop != end || value < min || value > max)
        return fallback;
    return value;
}

double UserSettings::GetDouble(std::string_view key, double fallback, double min,
                               double max) const {
    const auto text = Get(key);
    if (!text || text->empty())
        return fallback;
    // from_chars for double is missing from some of the runtimes we build with.
    double value = 0;
    int used = 0;
    if (std::sscanf(text->c_str(), "%lf%n", &value, &used) != 1 ||
        used != static_cast<int>(text->size()) || !std::isfinite(value) || value < min ||
        value > max)
        return fallback;
    return value;
}

bool UserSettings::GetBool(std::string_view key, bool fallback) const {
    const auto text = Get(key);
    if (text == "1")
        return true;
    if (text == "0")
        return false;
    return fallback;
}

void UserSettings::Set(std::string_view key, std::string_view value) {
    const std::string cleanKey = WithoutLineBreaks(key);
    if (!cleanKey.empty() && cleanKey.find('=') == std::string::npos)
        values_[cleanKey] = WithoutLineBreaks(value);
}

void UserSettings::SetInt(std::string_view key, int value) {
    Set(key, std::to_string(value));
}

void UserSettings::SetDouble(std::string_view key, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    Set(key, text);
}

void UserSettings::SetBool(std::string_view key, bool value) {
    Set(key, value ? "1" : "0");
}

} // namespace voice

#pragma once
// The program's own per-user settings (window places, zoom, playback speed and options):
// "key=value" lines in UTF-8, never in BegDir.Ini. A damaged line or a value out of range
// reads as the default, so a file edited by hand can never keep the program from starting.
// Portable.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace voice {

class UserSettings {
public:
    // Lines without "=" or with an empty key are dropped; a later key wins.
    static UserSettings Parse(std::string_view text);
    // One "key=value" line per key, in key order, each ended by "\r\n".
    std::string Serialize() const;

    std::optional<std::string> Get(std::string_view key) const;
    int GetInt(std::string_view key, int fallback, int min, int max) const;
    double GetDouble(std::string_view key, double fallback, double min, double max) const;
    bool GetBool(std::string_view key, bool fallback) const;

    // Keys and values are stored as given, minus line breaks (which would split a line).
    void Set(std::string_view key, std::string_view value);
    void SetInt(std::string_view key, int value);
    void SetDouble(std::string_view key, double value);
    void SetBool(std::string_view key, bool value);

    bool operator==(const UserSettings&) const = default;

private:
    std::map<std::string, std::string, std::less<>> values_;
};

} // namespace voice

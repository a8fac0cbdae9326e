#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace nuvix::files {

// A settings file of groups and keys ("[Group]" then "Key=value" lines, '#' comments), read and
// written with GLib's key-file parser. Several owners share one file: each reads and writes its
// own groups, and the text written back keeps every other group, key and comment as it was.
// Numbers are read and written with a point whatever the locale.
class KeyFile {
public:
    KeyFile();
    ~KeyFile();
    KeyFile(KeyFile&&) noexcept;
    KeyFile& operator=(KeyFile&&) noexcept;

    // Replaces the contents with the parsed text; false (and the contents left empty) when the
    // text is no key file, with the parser's reason in `problem` (plain English).
    bool Parse(std::string_view text, std::string& problem);
    std::string Text() const;

    bool HasGroup(const std::string& group) const;
    void RemoveGroup(const std::string& group);
    bool HasKey(const std::string& group, const std::string& key) const;
    // Every line of the key, when the file gave it more than once.
    void RemoveKey(const std::string& group, const std::string& key);
    // Empty when the key is missing or its value is not of the type asked.
    std::optional<std::string> GetString(const std::string& group, const std::string& key) const;
    std::optional<double> GetDouble(const std::string& group, const std::string& key) const;
    std::optional<bool> GetBool(const std::string& group, const std::string& key) const;
    void SetString(const std::string& group, const std::string& key, const std::string& value);
    // With `decimals` fixed decimals; by default the shortest text that reads back as `value`.
    void SetDouble(const std::string& group, const std::string& key, double value, int decimals = -1);
    void SetBool(const std::string& group, const std::string& key, bool value);
    void SetComment(const std::string& group, const std::string& comment);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nuvix::files

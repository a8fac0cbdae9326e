#include "platform/files/KeyFile.h"

#include <glib.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace nuvix::files {

namespace {

// GLib hands over errors and strings to be freed by the caller.
struct ErrorHolder {
    GError* error = nullptr;
    ~ErrorHolder()
    {
        if (error) g_error_free(error);
    }
};

struct StringHolder {
    gchar* text = nullptr;
    ~StringHolder() { g_free(text); }
};

}  // namespace

struct KeyFile::Impl {
    GKeyFile* file = g_key_file_new();
    ~Impl() { g_key_file_free(file); }
};

KeyFile::KeyFile() : impl_(std::make_unique<Impl>()) {}
KeyFile::~KeyFile() = default;
KeyFile::KeyFile(KeyFile&&) noexcept = default;
KeyFile& KeyFile::operator=(KeyFile&&) noexcept = default;

bool KeyFile::Parse(std::string_view text, std::string& problem)
{
    impl_ = std::make_unique<Impl>();
    ErrorHolder held;
    const int flags = G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS;
    if (g_key_file_load_from_data(impl_->file, text.data(), text.size(), static_cast<GKeyFileFlags>(flags),
                                  &held.error)) {
        return true;
    }
    problem = held.error && held.error->message ? held.error->message : "not a key file";
    impl_ = std::make_unique<Impl>();
    return false;
}

std::string KeyFile::Text() const
{
    gsize length = 0;
    StringHolder held{g_key_file_to_data(impl_->file, &length, nullptr)};
    return held.text ? std::string(held.text, length) : std::string();
}

bool KeyFile::HasGroup(const std::string& group) const
{
    return g_key_file_has_group(impl_->file, group.c_str());
}

void KeyFile::RemoveGroup(const std::string& group)
{
    g_key_file_remove_group(impl_->file, group.c_str(), nullptr);
}

bool KeyFile::HasKey(const std::string& group, const std::string& key) const
{
    return g_key_file_has_key(impl_->file, group.c_str(), key.c_str(), nullptr);
}

void KeyFile::RemoveKey(const std::string& group, const std::string& key)
{
    while (g_key_file_remove_key(impl_->file, group.c_str(), key.c_str(), nullptr)) {
    }
}

std::optional<std::string> KeyFile::GetString(const std::string& group, const std::string& key) const
{
    StringHolder held{g_key_file_get_string(impl_->file, group.c_str(), key.c_str(), nullptr)};
    if (!held.text) return std::nullopt;
    return std::string(held.text);
}

std::optional<double> KeyFile::GetDouble(const std::string& group, const std::string& key) const
{
    ErrorHolder held;
    const double value = g_key_file_get_double(impl_->file, group.c_str(), key.c_str(), &held.error);
    if (held.error || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<bool> KeyFile::GetBool(const std::string& group, const std::string& key) const
{
    ErrorHolder held;
    const gboolean value = g_key_file_get_boolean(impl_->file, group.c_str(), key.c_str(), &held.error);
    if (held.error) return std::nullopt;
    return value != FALSE;
}

void KeyFile::SetString(const std::string& group, const std::string& key, const std::string& value)
{
    g_key_file_set_string(impl_->file, group.c_str(), key.c_str(), value.c_str());
}

void KeyFile::SetDouble(const std::string& group, const std::string& key, double value, int decimals)
{
    // Rather than GLib's seventeen digits.
    char text[400];
    const auto written = decimals < 0 ? std::to_chars(text, text + sizeof text - 1, value)
                                      : std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed,
                                                      std::min(decimals, 17));
    *written.ptr = '\0';
    g_key_file_set_value(impl_->file, group.c_str(), key.c_str(), text);
}

void KeyFile::SetBool(const std::string& group, const std::string& key, bool value)
{
    g_key_file_set_boolean(impl_->file, group.c_str(), key.c_str(), value ? TRUE : FALSE);
}

void KeyFile::SetComment(const std::string& group, const std::string& comment)
{
    g_key_file_set_comment(impl_->file, group.c_str(), nullptr, comment.c_str(), nullptr);
}

}  // namespace nuvix::files

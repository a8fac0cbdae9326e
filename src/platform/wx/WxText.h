#pragma once

#include <wx/string.h>

#include <memory>
#include <string>
#include <utility>

namespace nuvix::wx {

// Every text of the program is UTF-8. Bytes that are not UTF-8 (a file name from
// elsewhere) are shown as Latin-1 rather than dropped.
inline wxString ToWx(const std::string& utf8)
{
    wxString s = wxString::FromUTF8(utf8.data(), utf8.size());
    if (s.empty() && !utf8.empty()) s = wxString::From8BitData(utf8.data(), utf8.size());
    return s;
}

inline std::string FromWx(const wxString& s)
{
    return s.utf8_string();
}

// wx owns the windows it is given: a child belongs to its parent, and a top-level window
// deletes itself after Destroy(). This is the one place where ownership passes to wx.
template <class T, class... Args>
T* HandToWx(Args&&... args)
{
    return std::make_unique<T>(std::forward<Args>(args)...).release();
}

}  // namespace nuvix::wx

#include "platform/text/Translate.h"

#include <libintl.h>
#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace nuvix {

namespace {

constexpr const char* kDomain = "nuvix";

// The number N of a "%N$s" directive starting at `format[at]` (just past its "%"), with `at` moved
// past it; 0 when there is none.
size_t TakePosition(std::string_view format, size_t& at)
{
    size_t end = at;
    size_t number = 0;
    while (end < format.size() && format[end] >= '0' && format[end] <= '9' && number < 100)
        number = number * 10 + static_cast<size_t>(format[end++] - '0');
    if (number == 0 || format.substr(end, 2) != "$s") return 0;
    at = end + 2;
    return number;
}

}  // namespace

const char* Tr(const char* french)
{
    // The empty text is the catalogue's header.
    return *french ? dgettext(kDomain, french) : french;
}

std::string TrFill(const char* french, std::initializer_list<std::string_view> pieces)
{
    const std::string_view format = Tr(french);
    std::string text;
    const auto piece = [&](size_t index) {
        if (index < pieces.size()) text += pieces.begin()[index];
    };
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        size_t at = i + 1;
        if (format[i] != '%' || at == format.size()) {
            text += format[i];
        } else if (format[at] == '%') {
            text += '%';
            i = at;
        } else if (format[at] == 's') {
            piece(next++);
            i = at;
        } else if (const size_t position = TakePosition(format, at)) {
            piece(position - 1);
            i = at - 1;
        } else {
            text += '%';
        }
    }
    return text;
}

std::string TrMarked(const std::string& french)
{
    return Tr(french.c_str());
}

std::string CatalogueDirectory(std::string_view fromProgram)
{
    if (const char* chosen = std::getenv("NUVIX_LOCALEDIR"); chosen && *chosen) return chosen;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::string(fromProgram);
    return (program.parent_path() / fromProgram).lexically_normal().string();
}

void UseObserverLanguage(const std::string& directory)
{
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    bindtextdomain(kDomain, directory.c_str());
    // Whatever the locale's character set, the texts reach the toolkit and the canvases in UTF-8.
    bind_textdomain_codeset(kDomain, "UTF-8");
}

}  // namespace nuvix

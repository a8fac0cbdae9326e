#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace nuvix {

// The observer's language. Every text the observer reads is written in French in the code and
// passed through Tr, which returns the translation of the "nuvix" text domain for the user's
// locale, or the French text itself when there is none. Texts that are data (file names, the
// guide log, protocol bytes, lines for logs on stderr) never go through it.
const char* Tr(const char* french);

// A text built from pieces: the translation of `french` with each "%s" replaced by the next
// piece, "%N$s" by the Nth (a translation may reorder them) and "%%" by "%".
std::string TrFill(const char* french, std::initializer_list<std::string_view> pieces);

// Marks a text of a fixed layout (a dialog template, a window's table of controls) for the
// catalogue: the layout keeps it in French, and TrMarked translates it where the control is built.
constexpr const char* TrLater(const char* french)
{
    return french;
}
std::string TrMarked(const std::string& french);

// Where the program finds its catalogues: $NUVIX_LOCALEDIR when set, otherwise `fromProgram`
// taken from the directory of the running program, so that an installed program and one in the
// build tree each find their own.
std::string CatalogueDirectory(std::string_view fromProgram);

// Takes the observer's language from the environment as gettext does (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG) and the catalogues from `directory`. Only messages and the character type
// follow the locale: numbers keep the C library's "." for INDI's client, cfitsio and everything
// else that prints or reads them.
void UseObserverLanguage(const std::string& directory);

}  // namespace nuvix

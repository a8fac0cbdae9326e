#pragma once

namespace nuvix {

// The observer's language. Every text the observer reads is written in French in the code and
// passed through Tr, which returns the translation of the "nuvix" text domain for the user's
// locale, or the French text itself when there is none. Texts that are data (file names, the
// guide log, protocol bytes) never go through it.
const char* Tr(const char* french);

}  // namespace nuvix

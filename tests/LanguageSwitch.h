#pragma once

#include "platform/text/Translate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nuvix::testing {

// The observer's locale variables for the length of a test, the others unset, read by the
// program's own start-up routine with the build tree's catalogues; then all as it was, locale "C".
class ObserverLanguage {
public:
    using Variables = std::vector<std::pair<std::string, std::string>>;
    explicit ObserverLanguage(const Variables& variables)
    {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        for (const auto& [name, value] : variables)
            setenv(name.c_str(), value.c_str(), 1);
        UseObserverLanguage(NUVIX_BUILD_LOCALEDIR);
    }
    ~ObserverLanguage()
    {
        for (const auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        std::setlocale(LC_ALL, "C");
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

inline const ObserverLanguage::Variables kEnglish = {{"LANG", "en_US.UTF-8"}};
inline const ObserverLanguage::Variables kFrench = {{"LANG", "fr_FR.UTF-8"}};

inline void ExpectEnglish()
{
    ASSERT_STREQ(Tr("Erreur"), "Error") << "no English: is en_US.UTF-8 generated (scripts/setup)?";
}

}  // namespace nuvix::testing

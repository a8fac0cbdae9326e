#include "LanguageSwitch.h"

#include "platform/files/FileErrors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace nuvix {
namespace {

using testing::ObserverLanguage;

TEST(TrFill, PiecesInOrderByNumberAndPercentSigns)
{
    const struct {
        const char* format;
        std::initializer_list<std::string_view> pieces;
        const char* filled;
    } cases[] = {
        {"%s (lien vers %s)", {"campar.dat", "/home/obs/c8.dat"}, "campar.dat (lien vers /home/obs/c8.dat)"},
        {"%2$s, puis %1$s", {"un", "deux"}, "deux, puis un"},
        {"100%% de %s", {"x"}, "100% de x"},
        {"%s et %s", {"seul"}, "seul et "},
        {"%d %", {"x"}, "%d %"},
        {"%0$s %s", {"x"}, "%0$s x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrFill(c.format, c.pieces), c.filled) << c.format;
}

// The language as gettext chooses it; numbers keep their point whatever it is, and the C
// library's own words stay as they have always been.
TEST(ObserverLanguage, ChosenAsGettextDoesNumbersKeepTheirPoint)
{
    const struct {
        ObserverLanguage::Variables variables;
        bool english;
    } cases[] = {
        {{}, false},
        {{{"LANG", "C"}, {"LANGUAGE", "en"}}, false},
        {testing::kFrench, false},
        {{{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "fr:en"}}, false},
        {{{"LANG", "fr_CA.UTF-8"}}, false},  // a locale this machine does not have
        {{{"LANG", "en_US.UTF-8"}, {"LC_ALL", "fr_FR.UTF-8"}}, false},
        {testing::kEnglish, true},
        {{{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "de:en"}}, true},
        {{{"LANG", "fr_FR.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, true},
        {{{"LANG", "fr_FR.UTF-8"}, {"LC_ALL", "en_US.UTF-8"}}, true},
    };
    for (const auto& c : cases) {
        const ObserverLanguage language(c.variables);
        const std::string what = c.variables.empty() ? "nothing set" : c.variables.back().second;
        EXPECT_STREQ(Tr("Pas de caméra"), c.english ? "No camera" : "Pas de caméra") << what;
        EXPECT_EQ(TrFill("Calibration échouée : %s", {"EQMod"}),
                  c.english ? "Calibration failed: EQMod" : "Calibration échouée : EQMod")
            << what;
        char number[16];
        std::snprintf(number, sizeof number, "%g", 0.5);
        EXPECT_STREQ(number, "0.5") << what;
        EXPECT_EQ(std::strtod("0.25", nullptr), 0.25) << what;
        EXPECT_EQ(files::ErrorText(EBADF), "Bad file descriptor") << what;
    }
}

}  // namespace
}  // namespace nuvix

#include "params/SettingsFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace nuvix {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// What stands in the settings file's place: read, kept aside when damaged (and then stored over),
// or left alone when it cannot be read or kept. The parameter file beside it is never touched.
TEST(SettingsFile, ReadKeptAsideOrLeftAlone)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;  // empty: no file
        bool directory;
        const char* told;  // a part of what the observer reads; null: nothing
        bool keptAside;
        bool stores;
    };
    const std::string huge(300 * 1024, '#');
    const Case cases[] = {
        {"missing", {}, false, nullptr, false, true},
        {"another part's group", Bytes("[Guide]\nAggressiveness=0.7\n"), false, nullptr, false, true},
        {"not a key file", Bytes("[Calibration\nRaAngle=1\n"), false, "copie conservée dans nuvix.ini.bad", true, true},
        {"not text", {0xFF, 0xFE, 0x00, 0x5B}, false, "endommagé", true, true},
        {"larger than any settings", Bytes(huge), false, "endommagé", true, true},
        {"a directory", {}, true, "pas un fichier ordinaire", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        SettingsFile file;
        file.path = SettingsPathBeside(dir.File("campar.dat"));
        ASSERT_EQ(file.path, dir.File("nuvix.ini"));
        if (c.directory) std::filesystem::create_directory(file.path);
        if (!c.bytes.empty()) WriteAll(file.path, c.bytes);
        const std::string told = LoadSettings(file);
        EXPECT_EQ(told.empty(), c.told == nullptr) << told;
        if (c.told) {
            EXPECT_NE(told.find(c.told), std::string::npos) << told;
        }
        EXPECT_EQ(std::filesystem::exists(file.path + ".bad"), c.keptAside);
        if (c.keptAside) {
            EXPECT_EQ(ReadAll(file.path + ".bad"), c.bytes);
        }

        file.keys.SetString("Calibration", "Mount", "M");
        EXPECT_EQ(StoreSettings(file).empty(), c.stores);
        if (!c.stores) continue;
        SettingsFile again;
        again.path = file.path;
        EXPECT_TRUE(LoadSettings(again).empty());
        EXPECT_EQ(again.keys.GetString("Calibration", "Mount"), "M");
        // Another part's group survives the store.
        EXPECT_EQ(again.keys.GetDouble("Guide", "Aggressiveness").has_value(), !c.keptAside && !c.bytes.empty());
    }
}

}  // namespace
}  // namespace nuvix

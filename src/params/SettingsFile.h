#pragma once

#include "platform/files/KeyFile.h"

#include <string>

namespace nuvix {

// The settings that campar.dat has no room for (it keeps its 106 bytes): a key file, "nuvix.ini"
// beside it. Each part of the program reads and writes its own groups in `keys`; a store writes
// every group, so what one part wrote is never lost by another's store.
inline constexpr const char* kSettingsFileName = "nuvix.ini";

struct SettingsFile {
    std::string path;
    files::KeyFile keys;
    // Why this run must not replace the file (French); empty when it may. A file that could not be
    // read, or a damaged one that could not be copied aside, would be lost.
    std::string leaveAsIs;
};

// The settings file's path beside the parameter file's.
std::string SettingsPathBeside(const std::string& paramFile);

// Reads the file at `file.path` into `file.keys`. A missing file is no settings yet; a damaged one
// is copied aside first ("nuvix.ini.bad", ".bad.1"...) and read as empty. Returns what the
// observer must be told, in French; empty when all is well. The details go to stderr.
std::string LoadSettings(SettingsFile& file);

// Writes every group through the one file-replacement routine. Returns why it was not written
// (French); empty when it was.
std::string StoreSettings(const SettingsFile& file);

}  // namespace nuvix

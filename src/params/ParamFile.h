#pragma once

#include "params/Params.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nuvix {

// The parameter file is a stream version header followed by one "tparam" object; the system
// always writes these 106 bytes.
inline constexpr size_t kParamFileSize = 106;
using ParamFileBytes = std::array<uint8_t, kParamFileSize>;

// The record as the system stores it: version 257, a new "tparam" object of class version 1,
// the fields in file order, everything little-endian.
ParamFileBytes SerializeParams(const tparam& record);

// What a stream of bytes gave. A malformed stream keeps the fields read before the fault and has
// defaults for the rest, so the record is always whole; `reason` says, in French, what was wrong.
// Non-finite focal length, pixel size or speeds are replaced by defaults and also count as a fault.
struct ParseResult {
    tparam record;
    bool malformed = false;
    std::string reason;
};

// Reads a parameter stream of any version the format knows: with or without the version header,
// 16- or 32-bit integers. Bytes after the object's end are ignored. Safe on any input.
ParseResult ParseParams(std::span<const uint8_t> bytes);

enum class LoadStatus {
    Loaded,      // the file gave every field
    Missing,     // no file yet: the defaults
    Malformed,   // damaged: what could be read, defaults for the rest
    Unreadable,  // there, but it could not be read (rights, not a plain file): the defaults
};

struct LoadResult {
    tparam record;
    LoadStatus status = LoadStatus::Missing;
    std::string message;                     // for the observer, in French; empty unless Malformed or Unreadable
    std::optional<std::string> keptAsideAt;  // where a malformed file was copied before anything replaces it
    // Why the end of the run must leave the file as it is, in French; empty when it may replace it.
    // A file that could not be read, or a damaged one that could not be copied aside, would be lost.
    std::string leaveAsIs;
};

// Reads the parameter file. A malformed file is copied first to a name of its own, "<path>.bad"
// (or "<path>.bad.1"... when an earlier copy is there), so that the store at the end of the run,
// which replaces the file, loses nothing the observer might want back.
LoadResult LoadParams(const std::string& path);

struct SaveResult {
    bool saved = false;
    std::string reason;  // in French, when not saved
};

// Stores the record. The file is replaced whole: a failed or interrupted store leaves the previous
// file as it was.
SaveResult SaveParams(const std::string& path, const tparam& record);

}  // namespace nuvix

// The protocols and fixed texts of monikers that the server itself produces
// or tests, and how two monikers compare.
//
// Monikers compare exactly: same length, same code units, letter case
// counts. In UTF-8 that is byte equality (the encodings map one to one), and
// since a null automation string converts to an empty view, an empty and a
// missing moniker are equal to each other and to nothing else.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace albumcore::items::monikers {

// Between a protocol and its path; a few prefixes use one colon instead.
inline constexpr std::string_view kProtocolDelimiter = "::";
inline constexpr std::string_view kOneColonDelimiter = ":";
// Protocols written with one colon ("root:Collections.ico").
inline constexpr std::array<std::string_view, 3> kOneColonProtocols = {"root", "stringRef", "iTunes"};

inline constexpr std::string_view kFileProtocol = "file";        // a local file, absolute path
inline constexpr std::string_view kTempProtocol = "temp";        // a temporary thumbnail source
inline constexpr std::string_view kStorageProtocol = "storage";  // an entry of a thumbnail store
inline constexpr std::string_view kSkinProtocol = "skin";        // an image of the client's skin
inline constexpr std::string_view kDupItemHackProtocol = "dupitemhack";
// A music-library track or playlist; its protocol alone composes to this.
inline constexpr std::string_view kMusicLibraryProtocolText = "iTunes:";
// A file name (without extension) starting with this never gets a
// generated thumbnail.
inline constexpr std::string_view kGuidNamePrefix = "OrvGUID:";

inline bool SameMoniker(std::string_view a, std::string_view b) noexcept { return a == b; }

// True when `name` is written with one colon.
inline bool IsOneColonProtocol(std::string_view name) noexcept {
  return std::find(kOneColonProtocols.begin(), kOneColonProtocols.end(), name) != kOneColonProtocols.end();
}

}  // namespace albumcore::items::monikers

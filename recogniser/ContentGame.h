#pragma once

// Which game a model, performance file or front-end file is for, told from its content
// alone, and only where the content leaves no doubt. Conversions refuse input that is
// already of their target game or of neither game; everything undecided converts as before.

#include <cstdint>
#include <string>

#include "platform/File.h"

namespace velkor {

enum class ContentGame { Nfs3, Nfs4, Neither, Undecided };

struct ContentIdentity {
  ContentGame game = ContentGame::Undecided;
  // What the content is, as a phrase for messages ("an NFS4 model"); for an undecided model,
  // what it looks like instead. Empty when nothing can be said.
  std::string what;
};

// The first four bytes of an NFS4 model, and of the FCE4M models of a later game that
// neither NFS3 nor NFS4 reads.
inline constexpr std::uint32_t kFce4Signature = 0x00101014;
inline constexpr std::uint32_t kFce4mSignature = 0x00101015;

// The content is `length` bytes of `content` from `offset` (a file, or a member left in
// its archive).

// NFS4 and FCE4M by their signatures; NFS3 (which has none) when the header's counts and
// block offsets fit the NFS3 layout and the file; otherwise undecided, `what` naming the
// first word.
ContentIdentity IdentifyModel(platform::File& content, std::uint64_t offset, std::uint64_t length);

// NFS4 when every label from (0) to (80) occurs; NFS3 when (0) to (79) all occur and (80)
// does not; otherwise undecided.
ContentIdentity IdentifyPerformanceFile(platform::File& content, std::uint64_t offset, std::uint64_t length);

// A game's layout fits when the file holds its header and offset table and every offset
// points between the end of that table and the end of the file. Decided only when exactly
// one game's layout fits.
ContentIdentity IdentifyFrontEndFile(platform::File& content, std::uint64_t offset, std::uint64_t length);

// The identification that a file's name calls for (".fce", "fedata.<language>",
// "carp.txt" and its variants, compared in lower case); undecided for any other name.
ContentIdentity IdentifyByName(const std::string& name, platform::File& content, std::uint64_t offset, std::uint64_t length);

// "NFS3", "NFS4" or "neither game" (undecided: "unknown").
const char* ContentGameName(ContentGame game);

}  // namespace velkor

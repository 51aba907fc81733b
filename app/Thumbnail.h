#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/Image.h"

namespace velkor {

// The largest input file, and archive member, a thumbnail reads: real cars' models and
// textures are a few megabytes at most, and a file manager thumbnails a folder at once.
inline constexpr std::uint64_t kLargestThumbnailInput = 32u << 20;

// The picture of `input` for a thumbnail of at most `size` x `size`: a car archive or an
// FCE model drawn (see render::RenderMesh), textured as a conversion would texture it; a
// TGA image, or the first image of an FSH or QFS file, shrunk to fit. The kind is told
// from the content where it can be, from the file name otherwise. Raises the file's
// errors, and CommandError for input that is none of these.
render::RgbaImage ThumbnailPicture(int size, const std::string& input);

// `--thumbnail SIZE INPUT OUTPUT`, the freedesktop thumbnailer's command (its three
// arguments as the service passes them, one each). SIZE is a whole number from 1; above
// the largest picture Velkor draws it means that size. Raises UsageError for arguments
// that do not fit; thumbnails are made on Linux only.
void ThumbnailCommand(const std::vector<std::string>& arguments);

// Writes the thumbnail of `input` as the PNG `output`: atomically, or into the file itself
// when it exists empty (a thumbnail service reads back the file it created). For input it
// cannot read, nothing is written.
void WriteThumbnail(int size, const std::string& input, const std::string& output);

}  // namespace velkor

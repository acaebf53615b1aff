#pragma once

// The metadata blocks a FLAC output carries after its STREAMINFO, built as libFLAC's own objects
// and handed to the encoder before it starts. The encoder reads them until it finishes, so the
// list lives as long as the encoding.

#include <memory>
#include <string>
#include <vector>

#include "formats/flac/FLAC.h"

class TFLACMetadata {
public:
  // Bytes of padding after the tags, so a later tag edit fits without rewriting the audio.
  static constexpr uint32_t PaddingSize = 8192;

  explicit TFLACMetadata(const TFLACBinding& library) : FLibrary(&library) {}

  // "KEY=value" texts as one VORBIS_COMMENT block; a key may repeat. Nothing for an empty list.
  void AddVorbisComments(const std::vector<std::string>& comments);
  void AddPadding(uint32_t bytes);
  // A block made elsewhere with FLAC__metadata_object_new; the list deletes it.
  void Add(FLAC__StreamMetadata* block);
  // A block that stays owned by the caller and outlives the list.
  void AddBorrowed(FLAC__StreamMetadata* block) { FPointers.push_back(block); }

  FLAC__StreamMetadata** Blocks() { return FPointers.data(); }
  uint32_t Count() const { return static_cast<uint32_t>(FPointers.size()); }

private:
  struct TBlockDeleter {
    const TFLACBinding* Library;
    void operator()(FLAC__StreamMetadata* block) const { Library->FLAC__metadata_object_delete(block); }
  };
  using TBlock = std::unique_ptr<FLAC__StreamMetadata, TBlockDeleter>;

  TBlock NewBlock(FLAC__MetadataType type) const;

  const TFLACBinding* FLibrary;
  std::vector<TBlock> FBlocks;
  std::vector<FLAC__StreamMetadata*> FPointers;  // what the encoder takes
};

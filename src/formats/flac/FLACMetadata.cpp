#include "formats/flac/FLACMetadata.h"

#include <new>

TFLACMetadata::TBlock TFLACMetadata::NewBlock(FLAC__MetadataType type) const {
  TBlock block(FLibrary->FLAC__metadata_object_new(type), TBlockDeleter{FLibrary});
  if (!block) {
    throw std::bad_alloc();
  }
  return block;
}

void TFLACMetadata::Add(FLAC__StreamMetadata* block) {
  FBlocks.emplace_back(block, TBlockDeleter{FLibrary});
  FPointers.push_back(block);
}

void TFLACMetadata::AddVorbisComments(const std::vector<std::string>& comments) {
  if (comments.empty()) {
    return;
  }
  TBlock block = NewBlock(FLAC__METADATA_TYPE_VORBIS_COMMENT);
  for (const std::string& comment : comments) {
    FLAC__StreamMetadata_VorbisComment_Entry entry{
        static_cast<FLAC__uint32>(comment.size()),
        reinterpret_cast<FLAC__byte*>(const_cast<char*>(comment.data()))};
    // With copy set the library takes its own copy of the text.
    if (!FLibrary->FLAC__metadata_object_vorbiscomment_append_comment(block.get(), entry, true)) {
      throw std::bad_alloc();
    }
  }
  Add(block.release());
}

void TFLACMetadata::AddPadding(uint32_t bytes) {
  TBlock block = NewBlock(FLAC__METADATA_TYPE_PADDING);
  block->length = bytes;
  Add(block.release());
}

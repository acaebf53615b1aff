#pragma once

// The Vorbis codec library: analysis, blocks and comment headers.
// Loaded by name at run time ("libvorbis.so.0"); the types come from the library's header, nothing links
// against it. Components hold a Load of the binding for their lifetime (TBindingRef).

#include <vorbis/codec.h>

#include "platform/DynamicLibrary.h"

#define KESTRUNE_VORBIS_ENTRIES(X, U) \
  X(vorbis_info_init) \
  X(vorbis_info_clear) \
  X(vorbis_info_blocksize) \
  X(vorbis_comment_init) \
  X(vorbis_comment_add) \
  X(vorbis_comment_add_tag) \
  X(vorbis_comment_query) \
  X(vorbis_comment_query_count) \
  X(vorbis_comment_clear) \
  X(vorbis_block_init) \
  X(vorbis_block_clear) \
  X(vorbis_dsp_clear) \
  X(vorbis_analysis_init) \
  X(vorbis_commentheader_out) \
  X(vorbis_analysis_headerout) \
  X(vorbis_analysis_buffer) \
  X(vorbis_analysis_wrote) \
  X(vorbis_analysis_blockout) \
  X(vorbis_analysis) \
  X(vorbis_bitrate_addblock) \
  X(vorbis_bitrate_flushpacket) \
  X(vorbis_synthesis_headerin) \
  X(vorbis_synthesis_init) \
  X(vorbis_synthesis) \
  X(vorbis_synthesis_blockin) \
  X(vorbis_synthesis_pcmout) \
  X(vorbis_synthesis_read) \
  X(vorbis_packet_blocksize)

KESTRUNE_BINDING_CLASS(TVorbisBinding, KESTRUNE_VORBIS_ENTRIES)

TVorbisBinding& VorbisLibrary();

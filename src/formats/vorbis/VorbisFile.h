#pragma once

// The Vorbis file-decoding library, driven through read, seek, close and tell callbacks.
// Loaded by name at run time ("libvorbisfile.so.3"); the types come from the library's header, nothing links
// against it. Components hold a Load of the binding for their lifetime (TBindingRef).

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "platform/DynamicLibrary.h"

#define KESTRUNE_VORBISFILE_ENTRIES(X, U) \
  X(ov_clear) \
  X(ov_open_callbacks) \
  X(ov_test_callbacks) \
  X(ov_test_open) \
  X(ov_bitrate) \
  X(ov_bitrate_instant) \
  X(ov_streams) \
  X(ov_seekable) \
  X(ov_serialnumber) \
  X(ov_raw_total) \
  X(ov_pcm_total) \
  X(ov_time_total) \
  X(ov_raw_seek) \
  X(ov_pcm_seek) \
  X(ov_pcm_seek_page) \
  X(ov_time_seek) \
  X(ov_time_seek_page) \
  X(ov_raw_tell) \
  X(ov_pcm_tell) \
  X(ov_time_tell) \
  X(ov_info) \
  X(ov_comment) \
  X(ov_read_float) \
  X(ov_read)

KESTRUNE_BINDING_CLASS(TVorbisFileBinding, KESTRUNE_VORBISFILE_ENTRIES)

TVorbisFileBinding& VorbisFileLibrary();

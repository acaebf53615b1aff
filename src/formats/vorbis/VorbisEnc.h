#pragma once

// The Vorbis encoder set-up library: quality-driven and bit-rate-managed modes.
// Loaded by name at run time ("libvorbisenc.so.2"); the types come from the library's header, nothing links
// against it. Components hold a Load of the binding for their lifetime (TBindingRef).

#include <vorbis/vorbisenc.h>

#include "platform/DynamicLibrary.h"

#define KESTRUNE_VORBISENC_ENTRIES(X, U) \
  X(vorbis_encode_init) \
  X(vorbis_encode_setup_managed) \
  X(vorbis_encode_setup_vbr) \
  X(vorbis_encode_init_vbr) \
  X(vorbis_encode_setup_init) \
  X(vorbis_encode_ctl)

KESTRUNE_BINDING_CLASS(TVorbisEncBinding, KESTRUNE_VORBISENC_ENTRIES)

TVorbisEncBinding& VorbisEncLibrary();

#pragma once

// The Ogg container library: stream state, pages and packets.
// Loaded by name at run time ("libogg.so.0"); the types come from the library's header, nothing links
// against it. Components hold a Load of the binding for their lifetime (TBindingRef).

#include <ogg/ogg.h>

#include "platform/DynamicLibrary.h"

#define KESTRUNE_OGG_ENTRIES(X, U) \
  X(ogg_stream_init) \
  X(ogg_stream_clear) \
  X(ogg_stream_reset) \
  X(ogg_stream_destroy) \
  X(ogg_stream_eos) \
  X(ogg_page_checksum_set) \
  X(ogg_page_version) \
  X(ogg_page_continued) \
  X(ogg_page_bos) \
  X(ogg_page_eos) \
  X(ogg_page_granulepos) \
  X(ogg_page_serialno) \
  X(ogg_page_pageno) \
  X(ogg_page_packets) \
  X(ogg_packet_clear) \
  X(oggpack_writeinit) \
  X(oggpack_reset) \
  X(oggpack_writeclear) \
  X(oggpack_readinit) \
  X(oggpack_write) \
  X(oggpack_look) \
  U(oggpack_look_huff) \
  X(oggpack_look1) \
  X(oggpack_adv) \
  U(oggpack_adv_huff) \
  X(oggpack_adv1) \
  X(oggpack_read) \
  X(oggpack_read1) \
  X(oggpack_bytes) \
  X(oggpack_bits) \
  X(oggpack_get_buffer) \
  X(ogg_stream_packetin) \
  X(ogg_stream_pageout) \
  X(ogg_stream_flush) \
  X(ogg_sync_init) \
  X(ogg_sync_clear) \
  X(ogg_sync_reset) \
  X(ogg_sync_destroy) \
  X(ogg_sync_buffer) \
  X(ogg_sync_wrote) \
  X(ogg_sync_pageseek) \
  X(ogg_sync_pageout) \
  X(ogg_stream_pagein) \
  X(ogg_stream_packetout) \
  X(ogg_stream_packetpeek)

KESTRUNE_BINDING_CLASS(TOggBinding, KESTRUNE_OGG_ENTRIES)

TOggBinding& OggLibrary();

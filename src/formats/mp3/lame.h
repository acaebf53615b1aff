#pragma once

// The LAME MP3 encoder library. Besides the encoder's usual names it looks up
// lame_get_lametag_frame, which gives the completed VBR/Info header frame at the end of a run,
// and the three report-function setters, so the library's messages do not reach the terminal.
// Loaded by name at run time ("libmp3lame.so.0"); the types come from the library's header, nothing links
// against it. Components hold a Load of the binding for their lifetime (TBindingRef).

#include <lame/lame.h>

#include "platform/DynamicLibrary.h"

#define KESTRUNE_LAME_ENTRIES(X, U) \
  X(lame_init) \
  X(lame_set_num_samples) \
  X(lame_get_num_samples) \
  X(lame_set_in_samplerate) \
  X(lame_get_in_samplerate) \
  X(lame_set_num_channels) \
  X(lame_get_num_channels) \
  X(lame_set_scale) \
  X(lame_get_scale) \
  X(lame_set_scale_left) \
  X(lame_get_scale_left) \
  X(lame_set_scale_right) \
  X(lame_get_scale_right) \
  X(lame_set_out_samplerate) \
  X(lame_get_out_samplerate) \
  X(lame_set_analysis) \
  X(lame_get_analysis) \
  X(lame_set_bWriteVbrTag) \
  X(lame_get_bWriteVbrTag) \
  X(lame_set_decode_only) \
  X(lame_get_decode_only) \
  U(lame_set_ogg) \
  U(lame_get_ogg) \
  X(lame_set_quality) \
  X(lame_get_quality) \
  X(lame_set_mode) \
  X(lame_get_mode) \
  U(lame_set_mode_automs) \
  U(lame_get_mode_automs) \
  X(lame_set_force_ms) \
  X(lame_get_force_ms) \
  X(lame_set_free_format) \
  X(lame_get_free_format) \
  X(lame_set_brate) \
  X(lame_get_brate) \
  X(lame_set_compression_ratio) \
  X(lame_get_compression_ratio) \
  X(lame_set_preset) \
  X(lame_set_asm_optimizations) \
  X(lame_set_copyright) \
  X(lame_get_copyright) \
  X(lame_set_original) \
  X(lame_get_original) \
  X(lame_set_error_protection) \
  X(lame_get_error_protection) \
  U(lame_set_padding_type) \
  U(lame_get_padding_type) \
  X(lame_set_extension) \
  X(lame_get_extension) \
  X(lame_set_strict_ISO) \
  X(lame_get_strict_ISO) \
  X(lame_set_VBR) \
  X(lame_get_VBR) \
  X(lame_set_VBR_q) \
  X(lame_get_VBR_q) \
  X(lame_set_VBR_mean_bitrate_kbps) \
  X(lame_get_VBR_mean_bitrate_kbps) \
  X(lame_set_VBR_min_bitrate_kbps) \
  X(lame_get_VBR_min_bitrate_kbps) \
  X(lame_set_VBR_max_bitrate_kbps) \
  X(lame_get_VBR_max_bitrate_kbps) \
  X(lame_set_VBR_hard_min) \
  X(lame_get_VBR_hard_min) \
  X(lame_set_lowpassfreq) \
  X(lame_get_lowpassfreq) \
  X(lame_set_lowpasswidth) \
  X(lame_get_lowpasswidth) \
  X(lame_set_highpassfreq) \
  X(lame_get_highpassfreq) \
  X(lame_set_highpasswidth) \
  X(lame_get_highpasswidth) \
  X(lame_get_version) \
  X(lame_get_encoder_delay) \
  X(lame_get_encoder_padding) \
  X(lame_get_framesize) \
  X(lame_get_mf_samples_to_encode) \
  X(lame_get_size_mp3buffer) \
  X(lame_get_frameNum) \
  X(lame_get_totalframes) \
  X(lame_init_params) \
  X(get_lame_version) \
  X(get_lame_short_version) \
  X(get_lame_very_short_version) \
  X(get_psy_version) \
  X(get_lame_url) \
  X(get_lame_version_numerical) \
  X(lame_encode_buffer) \
  X(lame_encode_buffer_interleaved) \
  X(lame_encode_buffer_float) \
  X(lame_encode_flush) \
  X(lame_encode_flush_nogap) \
  X(lame_init_bitstream) \
  X(lame_close) \
  U(lame_decode_init) \
  U(lame_decode) \
  U(lame_decode_headers) \
  U(lame_decode1) \
  U(lame_decode1_headers) \
  X(id3tag_genre_list) \
  X(id3tag_init) \
  X(id3tag_add_v2) \
  X(id3tag_v1_only) \
  X(id3tag_v2_only) \
  X(id3tag_space_v1) \
  X(id3tag_pad_v2) \
  X(id3tag_set_title) \
  X(id3tag_set_artist) \
  X(id3tag_set_album) \
  X(id3tag_set_year) \
  X(id3tag_set_comment) \
  X(id3tag_set_track) \
  X(id3tag_set_genre) \
  X(lame_get_lametag_frame) \
  X(lame_set_errorf) \
  X(lame_set_msgf) \
  X(lame_set_debugf)

KESTRUNE_BINDING_CLASS(TLameBinding, KESTRUNE_LAME_ENTRIES)

TLameBinding& LameLibrary();

#pragma once

// The comment header of an Ogg Opus stream ("OpusTags", the stream's second packet): the same
// list as Vorbis comments.

#include "platform/Streams.h"
#include "tags/VorbisComment.h"

// False when the stream does not begin with an Opus identification page followed by the comment
// header.
bool ReadOpusComments(TStream& stream, TVorbisComments& comments);

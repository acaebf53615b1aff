#pragma once

// Tags that writers append after the audio of an MPEG or Monkey's Audio stream: ID3v1, APEv2
// (with or without its header), Lyrics3v2 and an ID3v2 tag with a footer, in any order and number.

#include <cstdint>

#include "platform/Streams.h"

// Where the audio ends: the stream's size less every trailing tag found from the end. A tag that
// claims more bytes than lie before it ends the search.
int64_t AudioEndBeforeTrailingTags(TStream& stream, int64_t audioStart);

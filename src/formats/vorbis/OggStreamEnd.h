#pragma once

// Whether an Ogg file ends as a whole stream does: its last page complete and flagged as the end
// of its logical stream. A file cut short ends on a page without the flag, or inside a page.

#include <string>

#include "platform/Streams.h"

// Empty when the stream ends properly; otherwise the reason in a few words. The stream's
// position is kept.
std::string OggEndProblem(TStream& stream);

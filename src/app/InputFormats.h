#pragma once

// The one table of the input files the program reads: each extension with the source component
// that decodes it and the reader the file-info summary takes for its tags and stream facts. The
// list, AddFiles, the open dialog, the command line, the driver and the summary all ask it.

#include <span>
#include <string>
#include <string_view>

// The summary's reader for a kind of file (see tags/SongInformation.h).
enum TInfoReader { irMP3, irWMA, irOgg, irAPE, irWAV, irFLAC, irMedia };

struct TInputFormat {
  std::string_view Extension;  // ".WAV", in capitals
  std::string_view Component;  // the driver's source component, "WaveIn1"
  TInfoReader Reader;
};

// Every input format, in the order the program lists them.
std::span<const TInputFormat> InputFormats();

// By the extension of a file name, in any case ("song.M4a"); nullptr for a name the program does
// not read.
const TInputFormat* InputFormatFor(std::string_view fileName);

// ".wav .mp3 ..." in lower case, for messages and the usage text.
std::string InputExtensionList();

#pragma once

// FFmpeg's libraries are loaded by name on first use instead of being linked, so the programs
// start (and answer --help and --version) without loading them, and a machine that lacks one is
// told which. FFmpegLibraries.cpp defines every FFmpeg function the core calls as a forwarder to
// the loaded library: a call to one it does not define fails to link, and is added there.

#include <string>

// Empty when FFmpeg's libraries load with every entry point the core calls; otherwise the file
// name of the first that does not ("libavcodec.so.59"). The first call loads them.
std::string MissingFFmpegLibrary();

// The file name of FFmpeg's codec library, of the version compiled against ("libavcodec.so.59").
std::string AvCodecLibraryFile();

// The Debian package of one of FFmpeg's library files: "libavcodec.so.59" gives "libavcodec59".
std::string FFmpegPackage(const std::string& libraryFile);

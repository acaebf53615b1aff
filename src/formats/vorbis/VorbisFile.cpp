#include "formats/vorbis/VorbisFile.h"

TVorbisFileBinding& VorbisFileLibrary() {
  static TVorbisFileBinding binding("libvorbisfile.so.3");
  return binding;
}

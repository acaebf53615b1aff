#include "formats/vorbis/Codec.h"

TVorbisBinding& VorbisLibrary() {
  static TVorbisBinding binding("libvorbis.so.0");
  return binding;
}

#include "formats/vorbis/VorbisEnc.h"

TVorbisEncBinding& VorbisEncLibrary() {
  static TVorbisEncBinding binding("libvorbisenc.so.2");
  return binding;
}

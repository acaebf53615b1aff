#include "formats/vorbis/ogg.h"

TOggBinding& OggLibrary() {
  static TOggBinding binding("libogg.so.0");
  return binding;
}

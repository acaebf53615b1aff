#include "formats/mp3/lame.h"

TLameBinding& LameLibrary() {
  static TLameBinding binding("libmp3lame.so.0");
  return binding;
}

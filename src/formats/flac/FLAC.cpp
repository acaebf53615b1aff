#include "formats/flac/FLAC.h"

TFLACBinding& FLACLibrary() {
  static TFLACBinding binding("libFLAC.so.12");
  return binding;
}

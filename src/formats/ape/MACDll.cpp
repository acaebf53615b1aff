#include "formats/ape/MACDll.h"

#include <dlfcn.h>
#include <mutex>

namespace MACDll {

namespace {

std::mutex BindingLock;
void* Handle = nullptr;
bool LoadedFlag = false;
int StartupCount = 0;

template <class TFunction>
void Lookup(TFunction& entry, const char* name) {
  entry = reinterpret_cast<TFunction>(dlsym(Handle, name));
}

// In the order the entry points are listed for the library.
template <class TVisitor>
void ForEachEntry(TVisitor&& visit) {
  visit(ProgressCallback, "ProgressCallback");
  visit(RemoveTag, "RemoveTag");
  visit(CompressFile, "CompressFile");
  visit(ConvertFile, "ConvertFile");
  visit(DecompressFile, "DecompressFile");
  visit(FillWaveFormatEx, "FillWaveFormatEx");
  visit(FillWaveHeader, "FillWaveHeader");
  visit(GetID3Tag, "GetID3Tag");
  visit(GetInterfaceCompatibility, "GetInterfaceCompatibility");
  visit(GetVersionNumber, "GetVersionNumber");
  visit(ShowFileInfoDialog, "ShowFileInfoDialog");
  visit(TagFileSimple, "TagFileSimple");
  visit(TagFileCover, "TagFileCover");
  visit(VerifyFile, "VerifyFile");
  visit(c_APECompress_AddData, "c_APECompress_AddData");
  visit(c_APECompress_Create, "c_APECompress_Create");
  visit(c_APECompress_Destroy, "c_APECompress_Destroy");
  visit(c_APECompress_Finish, "c_APECompress_Finish");
  visit(c_APECompress_GetBufferBytesAvailable, "c_APECompress_GetBufferBytesAvailable");
  visit(c_APECompress_Kill, "c_APECompress_Kill");
  visit(c_APECompress_LockBuffer, "c_APECompress_LockBuffer");
  visit(c_APECompress_Start, "c_APECompress_Start");
  visit(c_APECompress_UnlockBuffer, "c_APECompress_UnlockBuffer");
  visit(c_APEDecompress_Create, "c_APEDecompress_Create");
  visit(c_APEDecompress_Destroy, "c_APEDecompress_Destroy");
  visit(c_APEDecompress_GetData, "c_APEDecompress_GetData");
  visit(c_APEDecompress_GetInfo, "c_APEDecompress_GetInfo");
  visit(c_APEDecompress_Seek, "c_APEDecompress_Seek");
}

}  // namespace

void Startup() {
  std::lock_guard lock(BindingLock);
  if (StartupCount++ > 0) {
    return;
  }
  Handle = dlopen(LibraryName, RTLD_NOW);
  if (Handle == nullptr) {
    return;
  }
  LoadedFlag = true;
  ForEachEntry([](auto& entry, const char* name) { Lookup(entry, name); });
}

void Shutdown() {
  std::lock_guard lock(BindingLock);
  if (StartupCount == 0 || --StartupCount > 0) {
    return;
  }
  ForEachEntry([](auto& entry, const char*) { entry = nullptr; });
  if (Handle != nullptr) {
    dlclose(Handle);
    Handle = nullptr;
  }
  LoadedFlag = false;
}

bool Loaded() {
  std::lock_guard lock(BindingLock);
  return LoadedFlag;
}

void RequireEntries(const std::vector<std::pair<const char*, const void*>>& entries) {
  if (!Loaded()) {
    throw EACSException(std::string(LibraryName) + " library could not be loaded.");
  }
  for (const auto& [name, entry] : entries) {
    if (entry == nullptr) {
      throw EACSException(std::string(LibraryName) + " has no entry point " + name + ".");
    }
  }
}

}  // namespace MACDll

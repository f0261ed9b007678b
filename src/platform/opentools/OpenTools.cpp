#include "platform/opentools/ExptIntf.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/SysUtils.h"

TIToolServices* ToolServices = nullptr;
std::function<void(TIExpert* Expert)> LibraryExpertProc;

int TInterface::Release() {
  const int Result = --FRefCount;
  if (Result == 0) delete this;
  return Result;
}

void TIExpert::Execute() { throw Exception("Abstract Error"); }

void RegisterLibraryExpert(TIExpert* Expert) {
  if (!Expert) return;
  if (LibraryExpertProc) LibraryExpertProc(Expert);
  else Expert->Release();
}

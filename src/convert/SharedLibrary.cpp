#include "SharedLibrary.h"

#include <dlfcn.h>

TSharedLibrary::TSharedLibrary(const char* soname) : FName(QString::fromLatin1(soname)) {
    FHandle = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!FHandle)
        FError = QString::fromLocal8Bit(::dlerror());
}

TSharedLibrary::~TSharedLibrary() {
    if (FHandle)
        ::dlclose(FHandle);
}

void* TSharedLibrary::Find(const char* name) {
    if (!FHandle)
        return nullptr;
    void* found = ::dlsym(FHandle, name);
    if (!found && FError.isEmpty())
        FError = FName + " has no " + QString::fromLatin1(name);
    return found;
}

#include "SharedLibrary.h"

#include <dlfcn.h>

TSharedLibrary::TSharedLibrary(const char* soname) : FName(QString::fromLatin1(soname)) {
    // Lazily bound: the media libraries bring a hundred others, and binding every function of all of them
    // at once took longer than the rest of a row's own work, holding the loader's lock (which starting a
    // thread or another row's libraries waits for) all the while. The functions we call are looked up below.
    FHandle = ::dlopen(soname, RTLD_LAZY | RTLD_LOCAL);
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

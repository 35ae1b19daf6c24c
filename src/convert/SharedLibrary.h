#pragma once

#include <QString>

// A shared library opened by name at run time, and its functions looked up. Closed again at the end unless
// Keep() is called (once every function needed was found).
class TSharedLibrary {
public:
    explicit TSharedLibrary(const char* soname);
    ~TSharedLibrary();
    TSharedLibrary(const TSharedLibrary&) = delete;
    TSharedLibrary& operator=(const TSharedLibrary&) = delete;

    // False, with ErrorText() naming the library and the function, when it is not there.
    template <typename T> bool Resolve(const char* name, T& function) {
        function = reinterpret_cast<T>(Find(name));
        return function != nullptr;
    }
    void Keep() { FHandle = nullptr; }
    QString ErrorText() const { return FError; }

private:
    void* Find(const char* name);
    void* FHandle = nullptr;
    QString FName, FError;
};

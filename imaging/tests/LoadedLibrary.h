#pragma once

// A library loaded the way a program would load Rastrum or Filtra: dlopen with RTLD_LOCAL, so
// Rastrum's platform-named exports never stand in for anyone else's, and functions found by
// name.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace imaging::testing {

class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* path) : m_module(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        if (!m_module) ADD_FAILURE() << dlerror();
    }
    ~LoadedLibrary() {
        if (m_module) dlclose(m_module);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    // The function of that name, of the type F that the library's header declares.
    template <class F>
    F* Get(const char* name) const {
        void* symbol = m_module ? dlsym(m_module, name) : nullptr;
        if (!symbol) ADD_FAILURE() << "missing export " << name;
        return reinterpret_cast<F*>(symbol);
    }

private:
    void* m_module;
};

} // namespace imaging::testing

// The library's function of the header's declaration name (never linked, only its type taken).
#define IMAGING_BIND(library, name) (library).Get<decltype(::name)>(#name)
